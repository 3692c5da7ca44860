#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct IniEntry
{
    QString key;
    QString value;
};

// False for texts that cannot stand in the file as a section name: empty, holding a line
// break (CR or LF), or not encodable as UTF-8 (a lone surrogate).
bool isValidSectionName(const QString &name);

// "Unable to write to %s" with the settings file's path.
QString unableToWriteMessage(const QString &path);

// The settings file, opened by path for every operation. Section and key names match
// without regard to case; a header is the text between the first "[" and the last "]" of its
// line; a value is the text after the first "=" of its line without surrounding blanks. Names
// and values whose outer characters would be lost that way (blanks, quotes, or for keys "=",
// "[" and ";") are written in double quotes, so every text the program writes reads back
// unchanged. Lines that are not UTF-8 (a hand edit in a single-byte editor) read as
// Windows-1252. Every write replaces the whole file through a temporary file in the same folder
// renamed over it, so a crash or a full disk leaves either the old or the new file.
class IniFile
{
public:
    // Flushed also waits until the data is on the device before the rename (fdatasync): safe
    // against power loss on every file system, but ~8 ms instead of ~1 ms for a 700 kB file
    // here. ext4 and btrfs already order the data before a rename over an existing file.
    enum class Durability { Unflushed, Flushed };

    enum class WriteResult {
        Written,
        Refused,    // the platform refused the write, or the file exists but cannot be read
        InvalidText // a name or value holds a line break, or a name is empty
    };

    static constexpr qsizetype MaxValueLength = 2047;
    static constexpr qsizetype MaxListBytes = 16384;

    explicit IniFile(QString path, Durability durability = Durability::Unflushed);

    const QString &path() const { return m_path; }

    // The first entry of the key in the first section of that name; values longer than
    // MaxValueLength are cut.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Key names in file order (duplicates kept), as many whole names as fit in MaxListBytes
    // of UTF-8 with one terminator each.
    QStringList readSectionKeys(const QString &section) const;
    // A section exists only while it holds at least one key.
    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;

    [[nodiscard]] WriteResult writeString(const QString &section, const QString &key,
                                          const QString &value);
    // Several keys of one section in one file write; keys new to the section are appended in
    // the given order.
    [[nodiscard]] WriteResult writeStrings(const QString &section, const QList<IniEntry> &entries);
    // Removes every entry of the key in the first section of that name.
    [[nodiscard]] WriteResult deleteKey(const QString &section, const QString &key);
    // Removes every section of that name with its entries.
    [[nodiscard]] WriteResult eraseSection(const QString &section);

    struct Parsed; // defined in IniFile.cpp

private:
    std::shared_ptr<const Parsed> load() const;
    WriteResult store(std::shared_ptr<const Parsed> parsed);

    QString m_path;
    Durability m_durability;
    // The last parse, reused only while the file's bytes are the same, so hand edits are seen.
    mutable std::shared_ptr<const Parsed> m_cache;
};
