#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class File;

// The centre pane's view of a font file: the font's family name and a sample
// of its letters at a few sizes. The font is lent to the program while it is
// shown and given back when another one is shown. A file that is no font the
// program can load says so in the view and in the log.
class FontSampleView : public QWidget
{
    Q_OBJECT

public:
    explicit FontSampleView(QWidget *parent = nullptr);
    ~FontSampleView() override;

    File *fontFile() const { return m_fontFile; }
    void setFontFile(File *file);
    // The family of the font shown, empty when it could not be loaded.
    QString family() const { return m_family; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void releaseFont();

    QPointer<File> m_fontFile;
    int m_fontId = -1;
    QString m_family;
};
