#include "ScannerUtils.h"

#include "platform/foundation/Scanner.h"

namespace ScannerUtils {

namespace {

QString characterAt(const QString &text, qsizetype index)
{
    return index < text.size() ? QString(text.at(index)) : QString();
}

bool hasNothingToScan(const Scanner &scanner)
{
    return scanner.string().isEmpty() || scanner.isAtEnd();
}

} // namespace

void scanWithCharacterSet(Scanner &scanner, const CharacterSet &delimiters, const ScanBlock &block)
{
    if (hasNothingToScan(scanner))
        return;
    const QString &text = scanner.string();
    QString previous = characterAt(text, 0);

    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.scanLocation();

        QString piece;
        const bool scannedPiece = scanner.scanUpToCharactersFromSet(delimiters, &piece);
        if (scannedPiece) {
            const QString next = characterAt(text, scanner.scanLocation());
            block(next, previous, piece, false);
            previous = next;
        }

        QString run;
        if (scanner.scanCharactersFromSet(delimiters, &run)) {
            // The first delimiter after a piece went out as that piece's character.
            for (qsizetype i = scannedPiece ? 1 : 0; i < run.size(); ++i) {
                const QString delimiter(run.at(i));
                QString previousText = previous;
                block(delimiter, previous, previousText, true);
                previous = delimiter;
            }
        }

        if (scanner.scanLocation() == before)
            break; // No progress: only possible with an inconsistent skip set.
    }
    scanner.setScanLocation(text.size());
}

void scanWithString(Scanner &scanner, const QString &delimiter, const ScanBlock &block)
{
    if (hasNothingToScan(scanner) || delimiter.isEmpty())
        return;
    const QString &text = scanner.string();
    QString previous = characterAt(text, 0);

    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.scanLocation();

        QString piece;
        if (scanner.scanUpToString(delimiter, &piece)) {
            const QString next = characterAt(text, scanner.scanLocation());
            block(next, previous, piece, false);
            previous = next;
        }
        scanner.scanString(delimiter);

        if (scanner.scanLocation() == before)
            break;
    }
    scanner.setScanLocation(text.size());
}

} // namespace ScannerUtils
