#pragma once

// What the rules panel and the project controller ask of the keyframe
// timeline. Implemented by the timeline's controller (AnimationManager,
// src/stylemanager); called by the rules panel (CSSOutlineDelegate) after its
// keyframe edits and by the preview (PreviewDelegate) around a page load,
// which Controllers::install() hands the controller.
class AnimationManagerInterface
{
public:
    virtual ~AnimationManagerInterface() = default;

    // A new page's DOM tree is prepared: forgets the marked keyframe, hides
    // the playhead and lists the page's animations anew.
    virtual void reset() = 0;
    // Lists the animations again keeping the selected row and keyframe; with
    // ignoreSelectionChange() set, shows them in the rules panel again.
    virtual void refresh() = 0;
    // While set, a change of the list's selection is not acted on.
    virtual void setIgnoreSelectionChange(bool ignore) = 0;
    virtual bool ignoreSelectionChange() const = 0;
    // A page starts loading: forgets the selected animation and keyframe.
    virtual void resetDomSelection() = 0;
};
