#pragma once
// A single-line edit whose text is limited by its width in Shift-JIS bytes,
// in both code pages: one for ASCII and half-width katakana, two for any
// other character, so "ten half-width or five full-width characters" holds
// also in UTF-8. A character the active code page cannot represent, or a
// control character, is never taken in, whether typed or pasted; a paste
// that does not fit is cut to fit.
#include "platform/text.h"

#include <QLineEdit>

class ByteLimitedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ByteLimitedEdit(int maxBytes, QWidget* parent = nullptr);

    int maxBytes() const { return maxBytes_; }
    // The text in the active code page.
    Text codePageText() const;

    // The length of one character by the limit's count; 0 when it cannot be
    // taken in (not representable, or a control character).
    static int limitLength(const QString& character);

private:
    int maxBytes_;
};
