#include "about/VersionResource.h"

#include <QFile>
#include <QList>
#include <QtEndian>

namespace about {

namespace {

constexpr qint64 kMaxSectionSize = 1 << 20; // the resource is a few hundred bytes
constexpr uint32_t kSectionNoBits = 8;      // SHT_NOBITS: occupies no file space

struct Section {
    uint32_t name = 0;
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint32_t link = 0;
};

// Reads fixed-size fields of an ELF file of either class and byte order.
class ElfReader {
public:
    explicit ElfReader(QFile& file) : m_file(file) {}

    bool readHeader() {
        const QByteArray ident = readAt(0, 64);
        if (ident.size() < 52 || !ident.startsWith("\x7F"
                                                   "ELF"))
            return false;
        m_is64 = ident[4] == 2;
        m_bigEndian = ident[5] == 2;
        if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2))
            return false;
        m_sectionTable = m_is64 ? word(ident, 40, 8) : word(ident, 32, 4);
        m_entrySize = word(ident, m_is64 ? 58 : 46, 2);
        m_count = word(ident, m_is64 ? 60 : 48, 2);
        m_namesIndex = word(ident, m_is64 ? 62 : 50, 2);
        if (m_sectionTable == 0 || m_entrySize < (m_is64 ? 64u : 40u))
            return false;
        // Very many sections: the real count and names index sit in section 0.
        const Section first = section(0);
        if (m_count == 0)
            m_count = first.size;
        if (m_namesIndex == 0xFFFF)
            m_namesIndex = first.link;
        return m_count > 0 && m_namesIndex < m_count;
    }

    uint64_t count() const { return m_count; }
    uint64_t namesIndex() const { return m_namesIndex; }

    Section section(uint64_t index) {
        const QByteArray e = readAt(m_sectionTable + index * m_entrySize, m_is64 ? 64 : 40);
        if (e.size() < (m_is64 ? 64 : 40))
            return {};
        Section s;
        s.name = uint32_t(word(e, 0, 4));
        s.type = uint32_t(word(e, 4, 4));
        s.offset = m_is64 ? word(e, 24, 8) : word(e, 16, 4);
        s.size = m_is64 ? word(e, 32, 8) : word(e, 20, 4);
        s.link = uint32_t(m_is64 ? word(e, 40, 4) : word(e, 24, 4));
        return s;
    }

    std::optional<QByteArray> contents(const Section& s) {
        if (s.type == kSectionNoBits || s.size > uint64_t(kMaxSectionSize))
            return std::nullopt;
        QByteArray bytes = readAt(s.offset, qint64(s.size));
        if (uint64_t(bytes.size()) != s.size)
            return std::nullopt;
        return bytes;
    }

private:
    QByteArray readAt(uint64_t offset, qint64 length) {
        if (offset > uint64_t(m_file.size()) || !m_file.seek(qint64(offset)))
            return {};
        return m_file.read(length);
    }

    uint64_t word(const QByteArray& bytes, int at, int size) const {
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            const uint64_t byte = uint8_t(bytes[at + i]);
            value |= m_bigEndian ? byte << (8 * (size - 1 - i)) : byte << (8 * i);
        }
        return value;
    }

    QFile& m_file;
    bool m_is64 = false;
    bool m_bigEndian = false;
    uint64_t m_sectionTable = 0;
    uint64_t m_entrySize = 0;
    uint64_t m_count = 0;
    uint64_t m_namesIndex = 0;
};

QByteArray nameAt(const QByteArray& names, uint32_t offset) {
    if (offset >= uint32_t(names.size()))
        return {};
    const int end = names.indexOf('\0', int(offset));
    return names.mid(int(offset), end < 0 ? -1 : end - int(offset));
}

} // namespace

std::optional<QByteArray> readElfSection(const QString& fileName, const QByteArray& section) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    ElfReader elf(file);
    if (!elf.readHeader())
        return std::nullopt;
    const std::optional<QByteArray> names = elf.contents(elf.section(elf.namesIndex()));
    if (!names)
        return std::nullopt;
    const uint64_t count = std::min<uint64_t>(elf.count(), 1 << 16);
    for (uint64_t i = 1; i < count; ++i) {
        const Section s = elf.section(i);
        if (nameAt(*names, s.name) == section)
            return elf.contents(s);
    }
    return std::nullopt;
}

VersionBlock parseVersionBlock(const QByteArray& text) {
    VersionBlock block;
    QString table;
    const int end = text.indexOf('\0');
    for (const QByteArray& raw : text.left(end < 0 ? text.size() : end).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            table = line.mid(1, line.size() - 2) + '\\';
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !table.isEmpty())
            block.insert(table + line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return block;
}

std::optional<VersionBlock> readVersionBlock(const QString& fileName) {
    const std::optional<QByteArray> section = readElfSection(fileName, kVersionSection);
    if (!section)
        return std::nullopt;
    return parseVersionBlock(*section);
}

bool GetVersionValue(const VersionBlock& block, const QString& key, QString& value) {
    value.clear();
    const auto found = block.constFind(QString::fromLatin1(kStringTable) + key);
    if (found == block.constEnd())
        return false;
    value = *found;
    return true;
}

} // namespace about
