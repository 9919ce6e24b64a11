#pragma once

#include <QByteArray>
#include <QString>

// The signature: added to the end of the body by hand (the Edit menu's item) or at
// every send when the automatic signature is on, never both.
namespace signature {

// The body, CR LF and the signature. Never cut by the body limit.
inline QString appendTo(const QString& body, const QString& signature) {
    return body + QStringLiteral("\r\n") + signature;
}
inline QByteArray appendTo(const QByteArray& body, const QByteArray& signature) {
    return body + QByteArrayLiteral("\r\n") + signature;
}

// The Edit menu's "署名挿入(&S)": either a refusal for an error box, or the new body.
struct ByHand {
    QString refusal;
    QString body;
};

// Refused while the automatic signature is on or no signature is set; otherwise the
// body becomes body, CR LF, signature, wherever the caret stands.
ByHand insertByHand(const QString& body, bool automaticSignature, const QByteArray& signature);

}  // namespace signature
