#pragma once
// A single-line edit whose text is limited by its length in bytes of the
// active code page, as a byte-limited edit control of that code page counts
// them: one for a one-byte character, two for a double-byte one. In UTF-8 a
// multibyte character counts as two, so "ten one-byte or five double-byte
// characters" holds in both code pages. A character the code page cannot
// represent, or a control character, is never taken in, whether typed or
// pasted; a paste that does not fit is cut to fit.
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
