#pragma once

#include "CreateMediaQueryDelegate.h"

class KeyframesPresetDataSource;

// The "@keyframe" tab: a new animation (or a copy of one) in a style sheet,
// always written as a "@-webkit-keyframes" rule; its keyframes come from a
// preset animation or, for a copy, from the values live in the page.
class CreateKeyframeDelegate : public CreateMediaQueryDelegate
{
    Q_OBJECT

public:
    explicit CreateKeyframeDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent = nullptr);

    // "@-webkit-keyframes " and the typed name.
    QString selectorName() override;
    void setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy) override;
    // One map with "selector" and "body" per keyframe.
    QList<QVariantMap> presetKeyframes() const override;
    QString preset() const override { return {}; }
    // One entry per animation name: the unprefixed rule where there is one.
    void setStyleList() override;
    void controlTextDidChange() override;

protected:
    QWidget *makeNameField(QWidget *page) override;
    void addExtraRows(QWidget *, QVBoxLayout *) override {}
    LinearOutlineDataSource *makePresetSource() override;
    QString presetTitle() const override { return QStringLiteral("Keyframes from a preset animation:"); }
    bool takesPartInValidation() const override { return false; }

private:
    QList<QVariantMap> liveKeyframes() const;
};
