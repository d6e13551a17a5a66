#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class DownloadLibView;
class File;
class QAction;
class QDialog;
class QProgressBar;
class QWidget;
class SearchFieldEx;
class SegmentedControl;

// The library download browser: a sheet with a small web browser of its own
// (DownloadLibView) from which the user downloads front-end libraries into
// the project. Four segments load the three library index pages and the
// icon-font service; the address field takes any other address and keeps a
// history. A zip archive the browser is given is downloaded into the folder
// of the target File (the File itself when it is a folder, else the folder
// that holds it) under a name free there, and "didLoadedFromWeb" names that
// folder's node.
//
// The preview controller opens the sheet (downloadPanel(), setFile(),
// initLink()) and closes it; the delegate owns the sheet and its controls.
class DownloaderDelegate : public QObject
{
    Q_OBJECT

public:
    explicit DownloaderDelegate(QWidget *window, QObject *parent = nullptr);
    ~DownloaderDelegate() override;

    // The start page of a segment (0 to 3): the user defaults
    // "libraryIndexPages" (three addresses) and "iconFontServiceURL" when set,
    // else the index pages of the program's download folder and the
    // icon-font service's home page.
    static QUrl startPage(int segment);

    QDialog *downloadPanel() const { return m_downloadPanel; }
    DownloadLibView *downloadLibView() const { return m_downloadLibView; }
    SegmentedControl *seg() const { return m_seg; }
    SearchFieldEx *urlText() const { return m_urlText; }
    QProgressBar *indicator() const { return m_indicator; }

    File *file() const;
    void setFile(File *file);
    // The folder downloads go into: the File's path when it is a folder, else its folder.
    QString targetFolder() const;
    // What the sheet's Close button (and Escape) does.
    void setCloseAction(std::function<void()> close) { m_close = std::move(close); }

    // A first page unless an address was typed before.
    void initLink();
    // Loads the start page of the segment, emptying the address field.
    void changeHtml(int segment);
    // Loads the address field's text as it stands.
    void changeURL();
    void resetHistoryMenu();
    void selectHistory(QAction *item);

private:
    void load(const QUrl &url);
    void showIndicator(bool shown);
    void loadFailed(const QString &errorText);
    void downloadDidFinish(const QString &path);

    QPointer<QWidget> m_window;
    QDialog *m_downloadPanel;            // Owned (deleted with this).
    DownloadLibView *m_downloadLibView;  // Owned by the panel.
    QProgressBar *m_indicator;           // Owned by the panel.
    SegmentedControl *m_seg;             // Owned by the panel.
    SearchFieldEx *m_urlText;            // Owned by the panel.
    QPointer<File> m_file;
    std::function<void()> m_close;
};
