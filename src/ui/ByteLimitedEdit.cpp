#include "ui/ByteLimitedEdit.h"

#include "ui/qt_text.h"

#include <QValidator>
#include <vector>

namespace {

// Keeps the text within the limit: characters that cannot be taken in are
// dropped, then the characters just before the cursor (the ones typed or
// pasted last), then any from the end.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

    State validate(QString& input, int& pos) const override
    {
        struct Piece {
            int from;
            int length;
            int weight;
        };
        std::vector<Piece> pieces;
        int total = 0;
        bool dropped = false;
        for (int i = 0; i < input.size();) {
            const int length = (input.at(i).isHighSurrogate() && i + 1 < input.size() &&
                                input.at(i + 1).isLowSurrogate())
                                   ? 2
                                   : 1;
            const int weight = ByteLimitedEdit::limitLength(input.mid(i, length));
            if (weight == 0) {
                dropped = true;
            } else {
                pieces.push_back({i, length, weight});
                total += weight;
            }
            i += length;
        }
        if (!dropped && total <= maxBytes_) return Acceptable;

        while (total > maxBytes_ && !pieces.empty()) {
            auto victim = pieces.end() - 1;
            for (auto it = pieces.begin(); it != pieces.end(); ++it) {
                if (it->from < pos) victim = it;
            }
            total -= victim->weight;
            pieces.erase(victim);
        }
        QString kept;
        int cursor = 0;
        for (const Piece& piece : pieces) {
            kept += input.mid(piece.from, piece.length);
            if (piece.from < pos) cursor += piece.length;
        }
        input = kept;
        pos = cursor;
        return Acceptable;
    }

private:
    int maxBytes_;
};

}  // namespace

ByteLimitedEdit::ByteLimitedEdit(int maxBytes, QWidget* parent) : QLineEdit(parent), maxBytes_(maxBytes)
{
    setValidator(new ByteLimitValidator(maxBytes, this));
}

Text ByteLimitedEdit::codePageText() const
{
    return fromQString(text()).value_or(Text());
}

int ByteLimitedEdit::limitLength(const QString& character)
{
    if (character.isEmpty()) return 0;
    const char32_t first = character.at(0).unicode();
    if (first < 0x20 || first == 0x7F || (character.at(0).isSurrogate() && character.size() < 2)) {
        return 0;
    }
    const std::optional<Text> bytes = fromQString(character);
    if (!bytes || bytes->empty()) return 0;
    // The width in Shift-JIS, whatever the code page: one for ASCII and
    // half-width katakana, two for every other character.
    const bool narrow = first < 0x80 || (first >= 0xFF61 && first <= 0xFF9F);
    return narrow ? 1 : 2;
}
