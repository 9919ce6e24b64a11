#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

// One INI file, loaded whole, read and changed by section and key, written back
// whole. Sections, keys and values are bytes of code page 932, passed through
// unchanged. Section names and keys match without regard to ASCII letter case.
//
// Every lookup and write takes constant time on average: each section keeps a hash
// index of its keys and the document one of its section names. Loaded lines are held
// as slices of the file's bytes, written ones in one growing buffer, so a large file
// costs little more than its own size.
class IniDocument {
  public:
    // An empty document not tied to a file.
    IniDocument() = default;
    // Loads `path`; a missing file gives an empty document. Throws FileError(Open)
    // when the file exists but cannot be read (a directory, no permission, too big to
    // hold in memory).
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

    // Section names in document order.
    QList<QByteArray> sectionNames() const;
    // Lines of text that loading dropped because no section header stood above them.
    // With no section at all, such text means the file is no INI file.
    qsizetype linesBeforeFirstSection() const { return linesBeforeFirstSection_; }

  private:
    // Where a piece of text lies: positions below kAdded are in loaded_, the others in
    // added_ (minus kAdded).
    static constexpr std::int64_t kAdded = std::int64_t(1) << 62;
    static constexpr std::int64_t kBare = -1;

    // An entry (key "=" value) or a bare line, whose text is held as its value.
    struct Line {
        std::int64_t key = kBare;
        std::int64_t value = 0;
        std::uint32_t keyLength = 0;
        std::uint32_t valueLength = 0;
        bool bare() const { return key == kBare; }
    };

    // Open addressing over positions in a list, compared through a name getter; names
    // are never removed, only the whole index is rebuilt.
    class NameIndex {
      public:
        template <class NameOf>
        std::int64_t find(QByteArrayView name, const NameOf& nameOf) const;
        // Adds `position` unless an equal name is indexed already (the first one wins);
        // returns whether it was added.
        template <class NameOf>
        bool insert(std::uint32_t position, const NameOf& nameOf);
        void reserve(qsizetype count);
        void clear();

      private:
        template <class NameOf>
        std::int64_t find(QByteArrayView name, std::uint64_t hash, const NameOf& nameOf) const;
        void place(std::uint64_t slot);

        // The name's hash in the high half, so that most mismatches are told apart
        // without touching the text; position + 1 in the low half, 0 when free.
        std::vector<std::uint64_t> slots_;
        qsizetype count_ = 0;
    };

    struct Section {
        QByteArray name;
        std::vector<Line> lines;
        // Built at the first lookup: a section that is only erased or written back
        // (a book being saved, phrases the main window never reads) costs no index.
        mutable NameIndex keys;
        mutable bool indexed = false;
        // Keys are mostly read in file order: the line after the last one found is
        // tried before the index. Only without duplicate keys, where the first wins.
        mutable bool duplicates = false;
        mutable std::size_t next = 0;
    };

    void load(const QByteArray& content);
    QByteArrayView text(std::int64_t position, std::uint32_t length) const;
    QByteArrayView keyOf(const Line& l) const { return text(l.key, l.keyLength); }
    QByteArrayView valueOf(const Line& l) const { return text(l.value, l.valueLength); }
    std::int64_t add(QByteArrayView bytes, bool oneLine);

    Section* findSection(QByteArrayView name);
    const Section* findSection(QByteArrayView name) const;
    const Line* findEntry(QByteArrayView section, QByteArrayView key) const;
    std::int64_t findLine(const Section& s, QByteArrayView key) const;
    void indexKeys(const Section& s) const;
    void rebuildSectionIndex();

    QString path_;
    QByteArray loaded_;  // the file as read, never changed
    QByteArray added_;   // the text of every written entry
    std::vector<Section> sections_;
    NameIndex sectionIndex_;
    qsizetype linesBeforeFirstSection_ = 0;
};

// Parses a stored integer: optional sign, decimal digits, or hexadecimal after "$",
// "0x" or "0X". Returns false for anything else (an empty value included).
bool parseIniInteger(QByteArrayView text, int* value);
