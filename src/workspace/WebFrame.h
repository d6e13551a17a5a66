#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A frame of the page shown in the preview, as the file model sees it: the
// address its document was requested from and the bytes of that document.
// The preview makes these; the file model only reads them.
class WebFrame
{
public:
    virtual ~WebFrame() = default;

    virtual QUrl dataSourceRequestURL() const = 0;
    virtual QByteArray dataSourceData() const = 0;
    virtual QString mimeType() const = 0;
    // Whether the document's bytes came.
    virtual bool hasData() const { return true; }
};
