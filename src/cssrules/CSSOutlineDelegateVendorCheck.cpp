// CSSOutlineDelegate: the check of a page's local style sheets for vendor
// prefixes the project leaves off. The texts and the settings are taken on
// the main thread, parsed on a pool thread; the alert comes back to the main
// thread.

#include "CSSOutlineDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

std::optional<CSSOutlineDelegate::VendorPrefixHit> CSSOutlineDelegate::scanVendorPrefixes(const QStringList &texts,
                                                                                         const QVariantMap &config)
{
    QStringList off;
    for (const QVariant &entry : config.value(QString(VendarPrefixSettings::kVendarPrefix)).toList()) {
        const QVariantMap prefix = entry.toMap();
        if (!prefix.value(QStringLiteral("on")).toBool())
            off.append(prefix.value(QStringLiteral("prefix")).toString() + u'-');
    }
    if (off.isEmpty())
        return std::nullopt;
    const VendarPrefixSettings settings = VendarPrefixSettings::fromConfig(config).indexed();
    std::optional<VendorPrefixHit> last;
    for (qsizetype sheet = 0; sheet < texts.size(); ++sheet) {
        for (const StyleDeclarationPtr &declaration : StyleSheetParser::parseStyleSheet(texts.at(sheet), nullptr, settings)) {
            for (const CSSPropertyPtr &property : declaration->properties()) {
                const QStringList prefixes = property->vendorPrefixes().value_or(QStringList());
                for (const QString &prefix : std::as_const(off)) {
                    if (prefixes.contains(prefix) || property->property().contains(prefix)) {
                        // The name after the prefix, which the message puts in front.
                        last = VendorPrefixHit{int(sheet), prefix, StringVendarPrefix::formalPropertyName(property->property()),
                                               declaration->lineNumber()};
                        break;
                    }
                }
            }
        }
    }
    return last;
}

void CSSOutlineDelegate::checkVendorPrefixSetting()
{
    // What the scan reads is taken now: the files may change or go meanwhile.
    QList<QPointer<File>> files;
    QStringList texts;
    for (File *file : styleFiles()) {
        if (!file->isLocalFile())
            continue;
        files.append(file);
        texts.append(file->currentContent().value_or(QString()));
    }
    const QVariantMap config = ProjectUtil::getCurrentProjectConfig();
    if (texts.isEmpty()) {
        Q_EMIT vendorPrefixChecked();
        return;
    }
    const QPointer<CSSOutlineDelegate> self(this);
    QThreadPool::globalInstance()->start([self, files, texts, config] {
        const std::optional<VendorPrefixHit> hit = scanVendorPrefixes(texts, config);
        QMetaObject::invokeMethod(
            qApp,
            [self, files, hit] {
                if (!self)
                    return;
                if (hit)
                    self->showVendorPrefixAlert(*hit, files);
                Q_EMIT self->vendorPrefixChecked();
            },
            Qt::QueuedConnection);
    });
}

void CSSOutlineDelegate::showVendorPrefixAlert(const VendorPrefixHit &hit, const QList<QPointer<File>> &files)
{
    File *file = files.value(hit.sheet);
    if (!file) {
        QM_INFO(QStringLiteral("A style sheet checked for vendor prefixes is gone."));
        return;
    }
    Alert alert;
    alert.setMessageText(QStringLiteral("A style sheet '%1' has property \n'%2%3' at the line %4.\nPlease go to project setting and turn '%5' on.")
                             .arg(file->displayName(), hit.prefix, hit.property, QString::number(hit.line), hit.prefix));
    alert.addButtonWithTitle(QStringLiteral("Open Setting"));
    alert.addButtonWithTitle(QStringLiteral("Ignore"));
    if (alert.runModal() != Alert::FirstButtonReturn)
        return;
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("openProjectConfig"), this, {{QStringLiteral("root"), QVariant::fromValue(file->rootFile())}});
}
