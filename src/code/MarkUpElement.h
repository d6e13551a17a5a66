#pragma once

#include "workspace/File.h"

#include <QPointer>
#include <QString>

// One row of the code assist list: what it shows, what it inserts, and for a
// class name the style sheet that defines it.
class MarkUpElement
{
public:
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    // The text written: an attribute with ="" after it, a property with ":".
    QString code() const { return m_code; }
    void setCode(const QString &code) { m_code = code; }
    // The list's code type when the row was made: 1 a tag, 5 a CSS value.
    int codeType() const { return m_codeType; }
    void setCodeType(int type) { m_codeType = type; }
    // For a CSS value: the value typed so far.
    QString suggestion2() const { return m_suggestion2; }
    void setSuggestion2(const QString &value) { m_suggestion2 = value; }
    // For a class name: the display name of its style sheet, and the sheet.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    File *file() const { return m_file; }
    void setFile(File *file) { m_file = file; }

private:
    QString m_displayName;
    QString m_code;
    int m_codeType = 0;
    QString m_suggestion2;
    QString m_fileName;
    QPointer<File> m_file;
};
