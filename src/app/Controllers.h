#pragma once

class AppDelegate;
class CSSOutlineDelegate;
class DomTreeDelegate;
class MainMenu;
class PreviewDelegate;
class ProjectDelegate;

// The shell's one composition point: builds the controller of each interface
// subsystem and wires the controllers to the shell and to one another through
// the contracts of src/interfaces. A subsystem is added here and nowhere else.
// A controller the delegate already holds (a test's fake) is kept.
class Controllers
{
public:
    Controllers() = delete;

    // Once the interface is set up, before its signals are connected.
    static void install(AppDelegate &delegate);

private:
    // The live preview, as the project controller's preview half, with the
    // main window's controls and the Reload command.
    static void installPreview(AppDelegate &delegate, ProjectDelegate &projects);
    // The Script Packages pane, following the file tree's project, with its
    // commands in the View menu.
    static void installCompiler(AppDelegate &delegate);
    // The keyframe timeline in the keyframe pane, wired to the rules panel and the preview.
    static void installKeyframeTimeline(AppDelegate &delegate);
    // The element palette in its pane, with the DOM tree it drops onto.
    static void installElementPalette(AppDelegate &delegate);
    // The create rule dialog and the add property panel of the rules panel.
    static void installRuleDialogs(AppDelegate &delegate);
    // The Rules menu's commands on the rules panel.
    static void installRulesCommands(MainMenu &menu, CSSOutlineDelegate &panel);
    // The Preview menu's commands: reload, zoom, device sizes, the ruler and the library sheet.
    static void installPreviewMenu(MainMenu &menu, PreviewDelegate &preview);
    // Saving the page with its resources: the sheet, the two download
    // buttons and the "Download..." item.
    static void installPageDownload(AppDelegate &delegate, ProjectDelegate &projects, PreviewDelegate &preview);
    // The code assist popup, shared by the file viewer's code views.
    static void installCodeAssist(AppDelegate &delegate);
    // The style-attribute panel in its pane, following the DOM tree's
    // selection, and the one shown in the DOM tree's popover.
    static void installStyleAttributePanel(AppDelegate &delegate, DomTreeDelegate &tree);
};
