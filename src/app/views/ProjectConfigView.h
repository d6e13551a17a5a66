#pragma once

#include "MainView.h"

#include "platform/kit/OutlineDataSource.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <vector>

class File;
class OutlineView;
class PrefixBadge;
class QCheckBox;
class QPlainTextEdit;
class TextField;
class VendarPrefixPropertyCell;

// The project settings panel: one project's settings in check boxes, the text
// of its ignore rules and the list of the properties that get vendor-prefixed
// copies. Nothing waits for a Save: each control's action rebuilds the
// settings from all the controls, writes them to the project's settings file
// and posts "ProjectConfigChanged" (with "ProjectWebMainURLWillChange" before
// the write and "ProjectWebMainURLDidChanged" after it when the web address
// changed). The file viewer points the panel at the project of the file it
// shows; without a project its controls are disabled. The ignore rules' text
// view is placed by the interface apart from the panel (ignoreOption()).
//
// The property list is a flat outline whose data source is the panel; its
// filter keeps the names that start with the search text, ignoring case and
// accents.
class ProjectConfigView : public MainView, public OutlineDataSource
{
    Q_OBJECT

public:
    // The start of the address offered for a web project: the project
    // folder's name follows it.
    static constexpr QLatin1String kPlaceholderBaseURL{"http://localhost/"};

    explicit ProjectConfigView(QWidget *parent = nullptr);
    ~ProjectConfigView() override;

    File *project() const { return m_project; }
    void setProject(File *project);
    // The panel's copy of the project's settings.
    QVariantMap projectConfig() const { return m_projectConfig; }

    // Reads the project's settings and shows them.
    void reload();
    // Settings to controls; nothing without a project.
    void configToView();
    // Controls to settings, written at once, with the notifications.
    void applyConfig();
    void notifyChange();
    void valueChange() { applyConfig(); }
    void textDidChange();
    void changePrefixSetting() { applyConfig(); }
    // Whether the vendor prefixes can be chosen; the property list is
    // filled again.
    void activateCSSEdit(bool active);
    void searchFieldChange();
    // The names the property list shows.
    QStringList allPropertyNames() const;
    // A row's box was clicked: the property gets prefixed copies, or no more.
    void checkChanged(const QString &propertyName);

    // The placeholder of the address field for the project shown.
    QString placeholderURL() const;

    // The controls.
    QCheckBox *overrideCSS() const { return m_overrideCSS; }
    QCheckBox *minifyCSS() const { return m_minifyCSS; }
    QCheckBox *overrideHTML() const { return m_overrideHTML; }
    QCheckBox *minifyHTML() const { return m_minifyHTML; }
    QCheckBox *useIgnoreOption() const { return m_useIgnoreOption; }
    // The ignore rules' text view; the interface places it.
    QPlainTextEdit *ignoreOption() const { return m_ignoreOption; }
    QCheckBox *prefixWebkit() const { return m_prefixWebkit; }
    QCheckBox *prefixMoz() const { return m_prefixMoz; }
    QCheckBox *prefixO() const { return m_prefixO; }
    QCheckBox *prefixMS() const { return m_prefixMS; }
    PrefixBadge *prefixSafariImg() const { return m_prefixSafariImg; }
    PrefixBadge *prefixChromeImg() const { return m_prefixChromeImg; }
    PrefixBadge *prefixMozImg() const { return m_prefixMozImg; }
    PrefixBadge *prefixOImg() const { return m_prefixOImg; }
    PrefixBadge *prefixMsImg() const { return m_prefixMsImg; }
    TextField *searchTextField() const { return m_searchTextField; }
    OutlineView *vendarPrefixSettingOutline() const { return m_vendarPrefixSettingOutline; }
    QCheckBox *formatJavaScript() const { return m_formatJavaScript; }
    QCheckBox *webProject() const { return m_webProject; }
    TextField *webMainURL() const { return m_webMainURL; }

    // The property list's data source: one level, a name per row.
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    // The form of a text the filter compares: decomposed, accents dropped,
    // case folded.
    static QString foldedForFilter(const QString &text);

protected:
    bool event(QEvent *event) override;

private:
    struct PropertyName
    {
        QString name;
        QString folded;
    };
    // The prefix of each box, and its badges.
    struct PrefixControl
    {
        QLatin1String prefix;
        QCheckBox *box;
        QList<PrefixBadge *> badges;
        bool *flag;
    };

    void buildControls();
    // The controls take changes only while there is a project to write to.
    void setControlsEnabled(bool enabled);
    void setUpIgnoreOption();
    QList<PrefixControl> prefixControls();
    void reloadPropertyList();

    QPointer<File> m_project;
    QVariantMap m_projectConfig;
    bool m_isOverrideCSS = false;
    bool m_isMinifyCSS = false;
    bool m_isOverrideHTML = false;
    bool m_isMinifyHTML = false;
    bool m_isUseIgnoreOption = false;
    bool m_isPrefixWebkit = false;
    bool m_isPrefixMoz = false;
    bool m_isPrefixMS = false;
    bool m_isPrefixO = false;
    bool m_isFormatJavaScript = false;
    bool m_isWebProject = false;
    QString m_ignoreOptionText;
    QString m_webURL;
    // While the settings are put into the controls, their changes are no edits.
    bool m_loading = false;

    // Every property name of the CSS definition, and the rows shown.
    std::vector<PropertyName> m_propertyNames;
    QList<int> m_shownProperties;
    QSet<QString> m_prefixedProperties;

    QCheckBox *m_overrideCSS;                    // Owned (child).
    QCheckBox *m_minifyCSS;                      // Owned (child).
    QCheckBox *m_overrideHTML;                   // Owned (child).
    QCheckBox *m_minifyHTML;                     // Owned (child).
    QCheckBox *m_useIgnoreOption;                // Owned (child).
    QCheckBox *m_formatJavaScript;               // Owned (child).
    QCheckBox *m_webProject;                     // Owned (child).
    TextField *m_webMainURL;                     // Owned (child).
    QCheckBox *m_prefixWebkit;                   // Owned (child).
    QCheckBox *m_prefixMoz;                      // Owned (child).
    QCheckBox *m_prefixO;                        // Owned (child).
    QCheckBox *m_prefixMS;                       // Owned (child).
    PrefixBadge *m_prefixSafariImg;              // Owned (child).
    PrefixBadge *m_prefixChromeImg;              // Owned (child).
    PrefixBadge *m_prefixMozImg;                 // Owned (child).
    PrefixBadge *m_prefixOImg;                   // Owned (child).
    PrefixBadge *m_prefixMsImg;                  // Owned (child).
    TextField *m_searchTextField;                // Owned (child).
    OutlineView *m_vendarPrefixSettingOutline;   // Owned (child).
    VendarPrefixPropertyCell *m_propertyCell;    // Owned by the outline.
    // The panel's child until the interface places it elsewhere.
    QPointer<QPlainTextEdit> m_ignoreOption;
};
