#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/StyleComment.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "grammar/GradientColorParser.h"
#include <QCoreApplication>
#include "app/ProjectUtil.h"
#include <QDir>
#include <QFile>
#include <cstdio>
int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString text;
    if (qEnvironmentVariableIsSet("PROJ")) { QDir().mkpath(qEnvironmentVariable("PROJ")); ProjectUtil::setCurrentProjectPath(qEnvironmentVariable("PROJ")); }
    if (argc > 1 && QString(argv[1]) == "-e") text = QString::fromUtf8(argv[2]);
    else { QFile f(argv[1]); f.open(QIODevice::ReadOnly); text = QString::fromUtf8(f.readAll()); }
    for (auto &d : StyleSheetParser::parseStyleSheet(text)) {
        std::printf("type=%d sel=[%s] body=%s range=(%lld,%lld) line=%lld inBraket=%d child=%lld\n", d->type(), qPrintable(d->getSelector()),
            d->hasBody() ? qPrintable("[" + d->body() + "]") : "nil", (long long)d->range().location, (long long)d->range().length,
            (long long)d->lineNumber(), d->isInBraket(), (long long)d->childIndex());
        for (auto &p : d->properties()) std::printf("   %s %s\n", qPrintable(p->description()), p->vendorPrefixes() ? qPrintable("[" + p->vendorPrefixes()->join(",") + "]") : "nil");
    }
}
