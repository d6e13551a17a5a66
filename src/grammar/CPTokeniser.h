#pragma once

#include "CPTokenRecogniser.h"
#include "CPTokenStream.h"

#include <QList>
#include <QVariantMap>

#include <limits>
#include <memory>
#include <vector>

class CPTokeniserDelegate;

// Cuts a text into tokens by trying an ordered list of recognisers at each
// position: the first recogniser whose token the delegate accepts wins (there
// is no longest-match rule). Fills a CPTokenStream and always closes it; the
// stream may be read by a parser on another thread while it is filled. The
// recogniser list must not change while tokenising.
class CPTokeniser
{
public:
    static constexpr qsizetype NotFound = std::numeric_limits<qsizetype>::max();

    CPTokeniser();

    void addTokenRecogniser(const CPTokenRecogniserPtr &recogniser);
    // Priority 0 is tried first.
    void insertTokenRecogniser(const CPTokenRecogniserPtr &recogniser, qsizetype priority);
    // Inserts before another recogniser of the list (compared by identity).
    void insertTokenRecogniserBeforeRecogniser(const CPTokenRecogniserPtr &recogniser,
                                               const CPTokenRecogniserPtr &before);
    void removeTokenRecogniser(const CPTokenRecogniserPtr &recogniser);
    const QList<CPTokenRecogniserPtr> &tokenRecognisers() const { return m_tokenRecognisers; }
    void setTokenRecognisers(const QList<CPTokenRecogniserPtr> &recognisers);

    // Not owned.
    CPTokeniserDelegate *delegate() const { return m_delegate; }
    void setDelegate(CPTokeniserDelegate *delegate) { m_delegate = delegate; }

    // A new stream, filled on the calling thread, closed and complete.
    std::unique_ptr<CPTokenStream> tokenise(const QString &input);
    // Fills the given stream and closes it.
    void tokenise(const QString &input, CPTokenStream *stream);

    // The recogniser list under "T.r", and a tokeniser rebuilt from it.
    QVariantMap archive() const;
    static std::unique_ptr<CPTokeniser> fromArchive(const QVariantMap &archive);

private:
    void produceToken(const CPTokenPtr &token, CPTokenStream *stream);
    void rebuildCandidates();

    QList<CPTokenRecogniserPtr> m_tokenRecognisers;
    // Per ASCII character, the recognisers that may match there, in list order.
    std::vector<std::vector<const CPTokenRecogniser *>> m_candidates;
    CPTokeniserDelegate *m_delegate = nullptr;
};
