#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One INI file, loaded whole, read and changed by section and key, written back
// whole. Sections, keys and values are bytes of code page 932, passed through
// unchanged. Section names and keys match without regard to ASCII letter case.
class IniDocument {
public:
    // An empty document not tied to a file.
    IniDocument() = default;
    // Loads `path`; a missing file gives an empty document. Throws FileError(Open)
    // when the file exists but cannot be read (a directory, no permission).
    explicit IniDocument(QString path);

    const QString& path() const { return path_; }

    // Parses file content with the loading rules (for tests and benchmarks).
    static IniDocument fromBytes(QByteArrayView content, QString path = {});
    // The file content a write-back produces.
    QByteArray toBytes() const;

    QByteArray readString(QByteArrayView section, QByteArrayView key,
                          QByteArrayView defaultValue = {}) const;
    int readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const;
    bool readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const;
    // Multi-line text: every TAB of the stored value read back as CR LF.
    QByteArray readMultiLine(QByteArrayView section, QByteArrayView key) const;

    void writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    void writeInteger(QByteArrayView section, QByteArrayView key, int value);
    void writeBool(QByteArrayView section, QByteArrayView key, bool value);
    // Every CR LF of `value` stored as one TAB.
    void writeMultiLine(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // True only when the section is present and holds at least one entry line.
    bool sectionExists(QByteArrayView section) const;
    bool valueExists(QByteArrayView section, QByteArrayView key) const;
    void eraseSection(QByteArrayView section);

    // Replaces the file by the whole document through the atomic save.
    // Throws FileError(Create) and leaves the old file as it was on failure.
    void writeBack() const;

    // Section names in document order (for tests).
    QList<QByteArray> sectionNames() const;

private:
    struct Line {
        QByteArray key;   // empty for a bare line
        QByteArray text;  // the whole line as written back
        bool bare = false;
    };
    struct Section {
        QByteArray name;
        QList<Line> lines;
    };

    Section* findSection(QByteArrayView name);
    const Section* findSection(QByteArrayView name) const;
    const Line* findEntry(QByteArrayView section, QByteArrayView key) const;

    QString path_;
    QList<Section> sections_;
};

// Parses a stored integer: optional sign, decimal digits, or hexadecimal after "$",
// "0x" or "0X". Returns false for anything else (an empty value included).
bool parseIniInteger(QByteArrayView text, int* value);
