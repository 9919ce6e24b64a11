#include "bsmtp/error_text.h"

#include "bsmtp/cp932_text.h"
#include "bsmtp/curl_library.h"

#include <QString>

#include <cerrno>
#include <cstring>

namespace bsmtp {

QByteArray fitError(QByteArrayView text) {
    return text.first(fitCharacters(text, kMaxErrorBytes)).toByteArray();
}

void writeError(char* buffer, QByteArrayView text) {
    if (buffer == nullptr) {
        return;
    }
    const QByteArray fitted = fitError(text);
    std::memcpy(buffer, fitted.constData(), fitted.size());
    buffer[fitted.size()] = '\0';
}

QByteArray jp(const char16_t* text) {
    return encodeCp932(QString::fromUtf16(text)).value_or(QByteArray("?"));
}

QByteArray printable(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (u >= 0x20 && u < 0x7F) ? c : '?';
    }
    return out.trimmed();
}

QByteArray inputError(InputProblem problem) {
    switch (problem) {
        case InputProblem::EmptyTo:
            return jp(u"宛先が入力されていません");
        case InputProblem::EmptyFrom:
            return jp(u"差出人のアドレスが設定されていません");
        case InputProblem::BadTo:
            return jp(u"宛先に使えない文字(改行など)があります");
        case InputProblem::BadFrom:
            return jp(u"差出人のアドレスに使えない文字(改行など)があります");
        case InputProblem::LongTo:
            return jp(u"宛先が長すぎます");
        case InputProblem::LongFrom:
            return jp(u"差出人のアドレスが長すぎます");
        case InputProblem::BadSubject:
            return jp(u"件名に改行は使えません");
        case InputProblem::BadAttachmentPath:
            return attachmentError(Attachment::Problem::BadName, {});
    }
    return {};
}

QByteArray encodingError(TextArgument which) {
    switch (which) {
        case TextArgument::Server:
            return jp(u"SMTPサーバーの指定にシフトJISとして正しくない文字があります");
        case TextArgument::To:
            return jp(u"宛先にシフトJISとして正しくない文字があります");
        case TextArgument::From:
            return jp(u"差出人のアドレスにシフトJISとして正しくない文字があります");
        case TextArgument::Subject:
            return jp(u"件名にシフトJISとして正しくない文字があります");
        case TextArgument::Body:
            return jp(u"本文にシフトJISとして正しくない文字があります");
        case TextArgument::Attachment:
            return inputError(InputProblem::BadAttachmentPath);
    }
    return {};
}

QByteArray addressError(bool sender, QByteArrayView part) {
    return fitError((sender ? jp(u"差出人のアドレスが正しくありません: ")
                            : jp(u"宛先のアドレスが正しくありません: ")) +
                    part.toByteArray());
}

QByteArray serverError(const ServerAddress& server) {
    switch (server.problem) {
        case ServerAddress::Problem::None:
            return {};
        case ServerAddress::Problem::Empty:
            return jp(u"SMTPサーバーが設定されていません");
        case ServerAddress::Problem::BadScheme:
            return fitError(jp(u"SMTPサーバーに使えない方式です: ") + printable(server.scheme));
        case ServerAddress::Problem::Malformed:
            return jp(u"SMTPサーバーの指定が正しくありません");
    }
    return {};
}

QByteArray attachmentError(Attachment::Problem problem, QByteArrayView name) {
    switch (problem) {
        case Attachment::Problem::None:
            return {};
        case Attachment::Problem::BadName:
            return jp(u"添付ファイルのパスに使えない文字があります");
        case Attachment::Problem::NotFound:
            return fitError(jp(u"添付ファイルが見つかりません: ") + name.toByteArray());
        case Attachment::Problem::NotRegular:
            return fitError(jp(u"添付できるのは通常のファイルだけです: ") + name.toByteArray());
        case Attachment::Problem::Unreadable:
            return fitError(jp(u"添付ファイルを読めません: ") + name.toByteArray());
    }
    return {};
}

QByteArray netrcError(NetrcLookup::Problem problem) {
    switch (problem) {
        case NetrcLookup::Problem::None:
            return {};
        case NetrcLookup::Problem::OthersCanRead:
            return jp(u"~/.netrc を他人が読めます。chmod 600 にしてください");
        case NetrcLookup::Problem::NotOwner:
            return jp(u"~/.netrc の所有者が本人ではありません");
        case NetrcLookup::Problem::NotRegular:
        case NetrcLookup::Problem::Unreadable:
            return jp(u"~/.netrc を読めません");
        case NetrcLookup::Problem::Syntax:
            return jp(u"~/.netrc の書き方が正しくありません(閉じていない引用符)");
    }
    return {};
}

namespace {

// The message, then the server's reply when there is one.
QByteArray withReply(const QByteArray& message, const SendOutcome& o) {
    if (o.replyLine.isEmpty()) {
        return fitError(message);
    }
    return fitError(message + ": " + printable(o.replyLine));
}

bool isRejection(int code) {
    return code >= 400 && code < 600;
}

// The enhanced status code after the reply code ("5.1.8" of "553 5.1.8 <a@b>: ..."), or empty.
QByteArray enhancedStatus(QByteArrayView reply) {
    if (reply.size() < 9 || (reply[3] != ' ' && reply[3] != '-')) {
        return {};
    }
    QByteArrayView rest = reply.sliced(4);
    const qsizetype end = rest.indexOf(' ');
    const QByteArray status = (end >= 0 ? rest.first(end) : rest).toByteArray();
    const QList<QByteArray> parts = status.split('.');
    if (parts.size() != 3 || (status[0] != '2' && status[0] != '4' && status[0] != '5')) {
        return {};
    }
    for (const QByteArray& p : parts) {
        bool ok = false;
        p.toInt(&ok);
        if (!ok) {
            return {};
        }
    }
    return status;
}

enum class Refused { Sender, Recipient, Greeting, Size, Message, Other };

// What a refusal is about. Servers often refuse the sender or the greeting name only at
// RCPT TO (Postfix's delayed rejection), so the reply's words and enhanced status code
// count before the command it answered.
Refused whatWasRefused(const SendOutcome& o) {
    const QByteArray text = o.replyLine.toLower();
    const QByteArray status = enhancedStatus(o.replyLine).mid(2);  // "1.8" of "5.1.8"
    // 552 after RCPT TO is the recipient's full mailbox (5.2.2), elsewhere the message's size.
    if ((o.replyCode == 552 && o.stage != Stage::Rcpt) || status == "2.3" || status == "3.4" ||
        text.contains("message size") || text.contains("too much mail data") ||
        text.contains("too big")) {
        return Refused::Size;
    }
    if (text.contains("helo command rejected") || text.contains("ehlo command rejected") ||
        o.stage == Stage::Ehlo) {
        return Refused::Greeting;
    }
    if (text.contains("sender address rejected") || status == "1.7" || status == "1.8") {
        return Refused::Sender;
    }
    switch (o.stage) {
        case Stage::Mail:
            return Refused::Sender;
        case Stage::Rcpt:
            return Refused::Recipient;
        case Stage::Data:
            return Refused::Message;
        default:
            return Refused::Other;
    }
}

// X509_V_ERR_* values of the TLS library's verification result.
constexpr long kCertNotYetValid = 9;
constexpr long kCertExpired = 10;
constexpr long kHostnameMismatch = 62;
constexpr long kIpAddressMismatch = 64;

QByteArray certificateError(const SendOutcome& o, const QByteArray& host) {
    // libcurl checks the name itself after the chain held, and says so in its own words.
    if (o.curlMessage.contains("target host name")) {
        return fitError(jp(u"サーバーの証明書の名前がサーバーと一致しません: ") + host);
    }
    switch (o.certificateResult) {
        case kCertExpired:
            return fitError(jp(u"サーバーの証明書の有効期限が切れています: ") + host);
        case kCertNotYetValid:
            return fitError(jp(u"サーバーの証明書はまだ有効になっていません: ") + host);
        case kHostnameMismatch:
        case kIpAddressMismatch:
            return fitError(jp(u"サーバーの証明書の名前がサーバーと一致しません: ") + host);
        default:
            return fitError(jp(u"サーバーの証明書の発行者を信頼できません: ") + host);
    }
}

}  // namespace

QByteArray sendError(const SendOutcome& o, QByteArrayView host, QByteArrayView attachmentName) {
    const QByteArray hostText = printable(host);
    if (curl_library::get() == nullptr) {
        // Nothing was sent: the library that speaks SMTP is missing.
        return fitError(jp(u"送信できませんでした: ") + curl_library::why());
    }
    switch (o.code) {
        case CURLE_OK:
            return {};
        case CURLE_COULDNT_RESOLVE_HOST:
            return fitError(jp(u"SMTPサーバーが見つかりません: ") + hostText);
        case CURLE_COULDNT_CONNECT:
            if (o.osErrno == ECONNREFUSED) {
                return fitError(jp(u"SMTPサーバーに接続を拒否されました: ") + hostText);
            }
            return fitError(jp(u"SMTPサーバーに接続できません: ") + hostText);
        case CURLE_PEER_FAILED_VERIFICATION:
            return certificateError(o, hostText);
        case CURLE_SSL_CACERT_BADFILE:
            return jp(u"信頼する証明書の一覧を読めません");
        case CURLE_USE_SSL_FAILED:
            return jp(u"サーバーがSTARTTLSに対応していないため送信しません");
        case CURLE_SSL_CONNECT_ERROR:
            return jp(u"サーバーとTLSで接続できませんでした");
        case CURLE_ABORTED_BY_CALLBACK:
            if (o.sourceFailure == MessageSource::Failure::FileChanged) {
                return fitError(jp(u"送信中に添付ファイルが変わったため中止しました: ") +
                                attachmentName.toByteArray());
            }
            return fitError(jp(u"添付ファイルを読めないため中止しました: ") +
                            attachmentName.toByteArray());
        default:
            break;
    }

    // Whatever went wrong after the whole message went out, the server may have kept it.
    if (o.messageSent && !isRejection(o.replyCode)) {
        return jp(u"送信後に応答がなく、届いたかどうか分かりません");
    }
    if (o.code == CURLE_OPERATION_TIMEDOUT) {
        // After 354 the last reply is the server's go-ahead: what stalled is the upload.
        if (o.dataAccepted) {
            return jp(u"送信中に接続が止まりました(未送信)");
        }
        if (!o.greeted) {
            return jp(u"SMTPサーバーが応答しません(タイムアウト)");
        }
        return withReply(jp(u"SMTPサーバーの応答がタイムアウトしました"), o);
    }
    switch (o.replyCode) {
        case 530:
            return withReply(jp(u"認証が必要です(~/.netrc)"), o);
        case 535:
            return withReply(jp(u"認証に失敗しました"), o);
        default:
            break;
    }
    if (o.code == CURLE_LOGIN_DENIED) {
        return withReply(jp(u"認証に失敗しました"), o);
    }
    if (isRejection(o.replyCode)) {
        switch (whatWasRefused(o)) {
            case Refused::Size:
                return withReply(jp(u"メールのサイズを受け付けられませんでした"), o);
            case Refused::Greeting:
                return withReply(jp(u"EHLOのホスト名を受け付けられませんでした"), o);
            case Refused::Sender:
                return withReply(jp(u"差出人のアドレスを受け付けられませんでした"), o);
            case Refused::Recipient:
                return withReply(jp(u"宛先を受け付けられませんでした"), o);
            case Refused::Message:
                return withReply(jp(u"メールを受け付けられませんでした"), o);
            case Refused::Other:
                return withReply(jp(u"送信できませんでした"), o);
        }
    }
    if (o.dataAccepted) {
        return jp(u"送信中に接続が切れました(未送信)");
    }
    if (!o.greeted) {
        return fitError(jp(u"SMTPサーバーから応答がありません: ") + hostText);
    }
    return fitError(jp(u"送信できませんでした: ") + curl_library::get()->easyStrerror(o.code));
}

}  // namespace bsmtp
