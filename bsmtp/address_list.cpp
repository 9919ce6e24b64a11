#include "bsmtp/address_list.h"

#include "bsmtp/cp932_text.h"

namespace bsmtp {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// RFC 5322 atext.
bool isAtext(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-/=?^_`{|}~").indexOf(c) >= 0;
}

bool isDotAtom(QByteArrayView text) {
    if (text.isEmpty() || text.front() == '.' || text.back() == '.' || text.contains("..")) {
        return false;
    }
    for (char c : text) {
        if (c != '.' && !isAtext(c)) {
            return false;
        }
    }
    return true;
}

bool isPrintableAscii(char c) {
    return c > 0x20 && c < 0x7F;
}

// local-part "@" domain, both in their plain forms: dot-atom or quoted string on the left,
// dot-atom or domain literal on the right.
bool isAddrSpec(QByteArrayView text) {
    const qsizetype at = text.lastIndexOf('@');
    if (at <= 0 || at + 1 >= text.size()) {
        return false;
    }
    const QByteArrayView local = text.first(at);
    const QByteArrayView domain = text.sliced(at + 1);
    bool localOk = isDotAtom(local);
    if (!localOk && local.size() >= 2 && local.front() == '"' && local.back() == '"') {
        localOk = true;
        for (qsizetype i = 1; i + 1 < local.size(); ++i) {
            const char c = local[i];
            if (c == '\\') {
                if (++i + 1 >= local.size() || !(isPrintableAscii(local[i]) || local[i] == ' ')) {
                    localOk = false;
                }
            } else if (c == '"' || !(isPrintableAscii(c) || c == ' ')) {
                localOk = false;
            }
        }
    }
    if (!localOk) {
        return false;
    }
    if (domain.front() == '[') {
        if (domain.size() < 3 || domain.back() != ']') {
            return false;
        }
        for (char c : domain.sliced(1, domain.size() - 2)) {
            if (!isPrintableAscii(c) || c == '[' || c == ']' || c == '\\') {
                return false;
            }
        }
        return true;
    }
    return isDotAtom(domain);
}

// One element of the list, read token by token. Double-byte characters are taken whole, so
// that a trail byte such as 5C or 40 is never read as '\' or '@'.
class ElementReader {
  public:
    explicit ElementReader(QByteArrayView text) : text_(text) {}

    bool read(Mailbox& out) {
        QList<QByteArray> words;  // the phrase before an angle address
        QByteArray bare;          // the element without comments, for a bare address
        bool gap = false;         // a blank after the last token
        bool bareSplit = false;   // blanks between tokens: no bare address
        bool angle = false;
        QByteArray comment;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (isBlank(c)) {
                ++pos_;
                gap = !bare.isEmpty();
                continue;
            }
            if (angle) {
                // After the angle address only comments and blanks may follow.
                if (c != '(') {
                    return false;
                }
                QByteArray ignored;
                if (!readComment(ignored)) {
                    return false;
                }
                continue;
            }
            if (c == '(') {
                QByteArray text;
                if (!readComment(text)) {
                    return false;
                }
                if (comment.isEmpty()) {
                    comment = text.trimmed();
                }
                continue;
            }
            if (c == '"') {
                const qsizetype start = pos_;
                QByteArray word;
                if (!readQuoted(word)) {
                    return false;
                }
                words.append(word);
                bareSplit = bareSplit || gap;
                gap = false;
                bare += text_.sliced(start, pos_ - start);
                continue;
            }
            if (c == '<') {
                const qsizetype end = text_.indexOf('>', pos_);
                if (end < 0) {
                    return false;
                }
                out.address = text_.sliced(pos_ + 1, end - pos_ - 1).trimmed().toByteArray();
                pos_ = end + 1;
                angle = true;
                continue;
            }
            if (c == '>' || c == ')' || c == ',' || c == ';' || c == ':') {
                return false;
            }
            // An atom, or a run of the characters an address is made of.
            const qsizetype start = pos_;
            while (pos_ < text_.size() && !isBlank(text_[pos_]) &&
                   QByteArrayView("()<>\",;:").indexOf(text_[pos_]) < 0) {
                pos_ += charLengthAt(text_, pos_);
            }
            const QByteArrayView atom = text_.sliced(start, pos_ - start);
            bareSplit = bareSplit || gap;
            gap = false;
            bare += atom;
            words.append(atom.toByteArray());
        }
        if (angle) {
            out.displayName = words.join(' ');
        } else {
            if (bareSplit) {
                return false;
            }
            out.address = bare;
            out.displayName = comment;
        }
        return isAddrSpec(out.address);
    }

  private:
    // A quoted string from its opening quote; the text without quotes and escapes.
    bool readQuoted(QByteArray& word) {
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c == '\\' && pos_ + 1 < text_.size()) {
                ++pos_;
            }
            const qsizetype length = charLengthAt(text_, pos_);
            word += text_.sliced(pos_, length);
            pos_ += length;
        }
        return false;
    }

    // A comment from its opening parenthesis, nested comments included.
    bool readComment(QByteArray& text) {
        int depth = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '(') {
                if (depth++ > 0) {
                    text += c;
                }
                ++pos_;
                continue;
            }
            if (c == ')') {
                ++pos_;
                if (--depth == 0) {
                    return true;
                }
                text += c;
                continue;
            }
            if (c == '\\' && pos_ + 1 < text_.size()) {
                ++pos_;
            }
            const qsizetype length = charLengthAt(text_, pos_);
            text += text_.sliced(pos_, length);
            pos_ += length;
        }
        return false;
    }

    QByteArrayView text_;
    qsizetype pos_ = 0;
};

// Splits at the ',' and ';' that stand outside quoted strings, comments, angle brackets and
// domain literals. False when one of these is never closed.
bool splitElements(QByteArrayView text, QList<QByteArrayView>& elements) {
    qsizetype start = 0;
    qsizetype pos = 0;
    int commentDepth = 0;
    bool quoted = false;
    bool angle = false;
    bool literal = false;
    while (pos < text.size()) {
        const char c = text[pos];
        const qsizetype length = charLengthAt(text, pos);
        if (length == 2) {
            pos += 2;
            continue;
        }
        if ((quoted || commentDepth > 0) && c == '\\') {
            pos += 1 + (pos + 1 < text.size() ? charLengthAt(text, pos + 1) : 0);
            continue;
        }
        if (quoted) {
            quoted = c != '"';
        } else if (commentDepth > 0) {
            commentDepth += c == '(' ? 1 : c == ')' ? -1 : 0;
        } else if (literal) {
            literal = c != ']';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            commentDepth = 1;
        } else if (c == '[') {
            literal = true;
        } else if (angle) {
            angle = c != '>';
        } else if (c == '<') {
            angle = true;
        } else if (c == ',' || c == ';') {
            elements.append(text.sliced(start, pos - start));
            start = pos + 1;
        }
        ++pos;
    }
    elements.append(text.sliced(start));
    return !quoted && commentDepth == 0 && !angle && !literal;
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

}  // namespace

AddressList parseAddressList(QByteArrayView text) {
    AddressList out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            out.badPart = trimmed(text).toByteArray();
            return out;
        }
    }
    QList<QByteArrayView> elements;
    if (!splitElements(text, elements)) {
        // The unclosed element: everything after the last separator that was found.
        out.badPart = trimmed(elements.back()).toByteArray();
        return out;
    }
    for (QByteArrayView element : elements) {
        element = trimmed(element);
        if (element.isEmpty()) {
            continue;
        }
        Mailbox mailbox;
        if (!ElementReader(element).read(mailbox)) {
            out.badPart = element.toByteArray();
            out.mailboxes.clear();
            return out;
        }
        out.mailboxes.append(mailbox);
    }
    out.ok = true;
    return out;
}

}  // namespace bsmtp
