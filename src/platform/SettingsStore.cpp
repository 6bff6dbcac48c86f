#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <map>
#include <optional>
#include <variant>

namespace {

using TValueType = TSettingsStore::TValueType;
// The alternatives stand in the order of TValueType.
using TValueData = std::variant<QString, quint32, QByteArray>;
static_assert(std::is_same_v<std::variant_alternative_t<int(TValueType::String), TValueData>, QString>);
static_assert(std::is_same_v<std::variant_alternative_t<int(TValueType::Integer), TValueData>, quint32>);
static_assert(std::is_same_v<std::variant_alternative_t<int(TValueType::Binary), TValueData>, QByteArray>);

const QString Header = QStringLiteral("Windows Registry Editor Version 5.00");

// Bounds for damaged or hostile files; a real settings file stays far below them.
constexpr qint64 MaxFileSize = 64 << 20;
constexpr qsizetype MaxValueBytes = 1 << 20;
constexpr qsizetype MaxDepth = 512;  // the registry's own nesting limit
constexpr qsizetype HexLineWidth = 76;

struct TValue {
    QString Name;  // as first written
    TValueData Data;
};

struct TKey {
    QString Name;                                       // as first written
    std::map<QString, TValue> Values;                   // by case-folded name
    std::map<QString, std::unique_ptr<TKey>> Children;  // by case-folded name

    TKey& Child(const QString& name, bool* created = nullptr)
    {
        std::unique_ptr<TKey>& slot = Children[name.toCaseFolded()];
        if (!slot) {
            slot = std::make_unique<TKey>();
            slot->Name = name;
            if (created)
                *created = true;
        }
        return *slot;
    }
};

QStringList SplitSection(QStringView section)
{
    QStringList parts;
    for (QStringView part : section.tokenize(u'\\', Qt::SkipEmptyParts))
        parts += part.toString();
    return parts;
}

// Works for TKey and const TKey.
template <typename Key>
Key* Descend(Key& root, const QStringList& parts)
{
    Key* key = &root;
    for (const QString& part : parts) {
        const auto it = key->Children.find(part.toCaseFolded());
        if (it == key->Children.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

// Registry strings are UTF-16LE with a terminating NUL.
QByteArray Utf16LE(const QString& text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

// By hand rather than by QStringDecoder: that one would drop a leading U+FEFF.
QString FromUtf16LE(const QByteArray& bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(bytes[2 * i]) | uchar(bytes[2 * i + 1]) << 8));
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

bool Fits(const TValueData& data)
{
    if (const auto* text = std::get_if<QString>(&data))
        return (text->size() + 1) * 2 <= MaxValueBytes;
    if (const auto* bytes = std::get_if<QByteArray>(&data))
        return bytes->size() <= MaxValueBytes;
    return true;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::optional<quint32> ParseHexNumber(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value << 4 | quint32(d);
    }
    return value;
}

// Appends the comma-separated bytes of one line; false on a bad byte or when the value grows too big.
bool AppendHexBytes(QStringView line, QByteArray& bytes)
{
    for (QStringView token : line.tokenize(u',', Qt::SkipEmptyParts)) {
        const QStringView digits = token.trimmed();
        const std::optional<quint32> byte = ParseHexNumber(digits);
        if (!byte || digits.size() > 2 || bytes.size() >= MaxValueBytes)
            return false;
        bytes.append(char(*byte));
    }
    return true;
}

// Reads `"text"` with \\ and \" escaped from the start of `s`; gives the index after the closing quote.
std::optional<qsizetype> ReadQuoted(QStringView s, QString& text)
{
    if (!s.startsWith(u'"'))
        return std::nullopt;
    text.clear();
    for (qsizetype i = 1; i < s.size(); ++i) {
        if (s[i] == u'"')
            return i + 1;
        if (s[i] == u'\\' && ++i == s.size())
            break;
        text += s[i];
    }
    return std::nullopt;
}

class TParser {
public:
    TParser(QStringView text, TKey& root) : m_text(text), m_root(root) {}

    void Run()
    {
        QStringView line;
        while (NextLine(line)) {
            if (line.startsWith(u'['))
                ReadKey(line);
            else if (line.startsWith(u'"') || line.startsWith(u'@'))
                ReadValue(line);
            // anything else (the header, comments, garbage) says nothing we keep
        }
    }

private:
    bool NextLine(QStringView& line)
    {
        if (m_pos >= m_text.size())
            return false;
        qsizetype end = m_text.indexOf(u'\n', m_pos);
        if (end < 0)
            end = m_text.size();
        line = m_text.sliced(m_pos, end - m_pos).trimmed();
        m_pos = end + 1;
        return true;
    }

    // A line that starts a key or a value is never part of the value before it: that value was cut off.
    bool NextContinuation(QStringView& line)
    {
        const qsizetype pos = m_pos;
        if (!NextLine(line))
            return false;
        if (line.startsWith(u'[') || line.startsWith(u'"') || line.startsWith(u'@')) {
            m_pos = pos;
            return false;
        }
        return true;
    }

    void ReadKey(QStringView line)
    {
        m_current = nullptr;
        if (!line.endsWith(u']'))
            return;
        QStringView path = line.sliced(1, line.size() - 2);
        const QString root = TSettingsStore::RootKey();
        if (!path.startsWith(root, Qt::CaseInsensitive))
            return;
        path = path.sliced(root.size());
        if (!path.isEmpty() && !path.startsWith(u'\\'))
            return;
        const QStringList parts = SplitSection(path);
        if (parts.size() > MaxDepth)
            return;
        TKey* key = &m_root;
        for (const QString& part : parts)
            key = &key->Child(part);
        m_current = key;
    }

    void ReadValue(QStringView line)
    {
        QString name;
        qsizetype pos = 1;  // after "@", the default value's name
        if (line.startsWith(u'"')) {
            const std::optional<qsizetype> end = ReadQuoted(line, name);
            if (!end)
                return;
            pos = *end;
        }
        QStringView rest = line.sliced(pos).trimmed();
        if (!rest.startsWith(u'='))
            return;
        const std::optional<TValueData> data = ReadData(rest.sliced(1).trimmed());
        if (!data || !m_current || !Fits(*data))
            return;
        // A repeated value replaces the earlier one, as an import would.
        auto [it, inserted] = m_current->Values.try_emplace(name.toCaseFolded(), TValue{name, *data});
        if (!inserted)
            it->second.Data = *data;
    }

    std::optional<TValueData> ReadData(QStringView data)
    {
        if (data.startsWith(u'"')) {
            QString text;
            const std::optional<qsizetype> end = ReadQuoted(data, text);
            if (!end || *end != data.size())
                return std::nullopt;
            return text;
        }
        if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            if (const std::optional<quint32> number = ParseHexNumber(data.sliced(6)))
                return *number;
            return std::nullopt;
        }
        if (data.startsWith(u"hex", Qt::CaseInsensitive))
            return ReadHexData(data.sliced(3));
        return std::nullopt;
    }

    // `:bytes` (binary) or `(type):bytes`, of which the string types 1 and 2 are kept.
    std::optional<TValueData> ReadHexData(QStringView data)
    {
        const qsizetype colon = data.indexOf(u':');
        if (colon < 0)
            return std::nullopt;
        const QStringView type = data.first(colon);
        std::optional<QByteArray> bytes = ReadHexBytes(data.sliced(colon + 1));
        if (!bytes)
            return std::nullopt;
        if (type.isEmpty())
            return *bytes;
        if (type == u"(1)" || type == u"(2)")
            return FromUtf16LE(*bytes);
        return std::nullopt;
    }

    // Reads on while a line ends with "\".
    std::optional<QByteArray> ReadHexBytes(QStringView line)
    {
        QByteArray bytes;
        bool ok = true;
        for (;;) {
            const bool continued = line.endsWith(u'\\');
            if (continued)
                line.chop(1);
            ok = ok && AppendHexBytes(line, bytes);
            if (!continued)
                break;
            if (!NextContinuation(line))
                return std::nullopt;
        }
        if (!ok)
            return std::nullopt;
        return bytes;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    TKey& m_root;
    TKey* m_current = nullptr;  // null outside the root key
};

QString Quoted(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + out + u'"';
}

// Line breaks cannot stand in a quoted text, and UTF-8 cannot hold a lone surrogate.
bool NeedsHex(const QString& text)
{
    return !text.isValidUtf16()
           || std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

// Wraps long values as the registry does: "\" at the end of the line, the next one indented.
void AppendHex(QString& out, qsizetype lineStart, const QByteArray& bytes)
{
    static constexpr char Digits[] = "0123456789abcdef";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += u',';
            if (out.size() - lineStart > HexLineWidth) {
                out += u"\\\n  ";
                lineStart = out.size() - 2;
            }
        }
        const auto byte = uchar(bytes[i]);
        out += QLatin1Char(Digits[byte >> 4]);
        out += QLatin1Char(Digits[byte & 0xF]);
    }
}

void AppendValue(QString& out, const TValue& value)
{
    const qsizetype lineStart = out.size();
    out += value.Name.isEmpty() ? QStringLiteral("@") : Quoted(value.Name);
    out += u'=';
    if (const auto* text = std::get_if<QString>(&value.Data)) {
        if (NeedsHex(*text)) {
            out += u"hex(1):";
            AppendHex(out, lineStart, Utf16LE(*text));
        } else {
            out += Quoted(*text);
        }
    } else if (const auto* number = std::get_if<quint32>(&value.Data)) {
        out += QStringLiteral("dword:%1").arg(*number, 8, 16, QLatin1Char('0'));
    } else {
        out += u"hex:";
        AppendHex(out, lineStart, std::get<QByteArray>(value.Data));
    }
    out += u'\n';
}

void AppendKey(QString& out, const TKey& key, const QString& path)
{
    out += u'[';
    out += path;
    out += u"]\n";
    for (const auto& [folded, value] : key.Values)
        AppendValue(out, value);
    out += u'\n';
    for (const auto& [folded, child] : key.Children)
        AppendKey(out, *child, path + u'\\' + child->Name);
}

QByteArray DoubleBytes(double value)
{
    QByteArray bytes(8, Qt::Uninitialized);
    qToLittleEndian(std::bit_cast<quint64>(value), bytes.data());
    return bytes;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // read(n) sets aside all n bytes at once, so ask for no more than there is.
    const QByteArray bytes = file.read(std::min(file.size(), MaxFileSize));
    QStringDecoder decoder(QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8));
    QString text = decoder.decode(bytes);
    // A UTF-16 file may hold lone surrogates; take them as our UTF-8 writer will.
    if (!text.isValidUtf16())
        text = QString::fromUtf8(text.toUtf8());
    return text;
}

}  // namespace

struct TSettingsStore::TData {
    QString Path;
    TKey Root;
    bool Modified = false;

    const TValueData* Find(const QString& section, const QString& ident) const
    {
        const TKey* key = Descend(Root, SplitSection(section));
        if (!key)
            return nullptr;
        const auto it = key->Values.find(ident.toCaseFolded());
        return it == key->Values.end() ? nullptr : &it->second.Data;
    }

    void Set(const QString& section, const QString& ident, TValueData data)
    {
        TKey* key = &Root;
        for (const QString& part : SplitSection(section))
            key = &key->Child(part, &Modified);
        const auto [it, inserted] = key->Values.try_emplace(ident.toCaseFolded(), TValue{ident, data});
        if (inserted || it->second.Data != data) {
            it->second.Data = std::move(data);
            Modified = true;
        }
    }
};

TSettingsStore::TSettingsStore(const QString& filePath) : D(std::make_unique<TData>())
{
    D->Path = filePath.isEmpty() ? DefaultPath() : filePath;
    TParser(ReadText(D->Path), D->Root).Run();
}

TSettingsStore::~TSettingsStore()
{
    if (D->Modified)
        Save();  // nobody is left to tell of a failure
}

QString TSettingsStore::DefaultPath()
{
    const QString path = qEnvironmentVariable("TOMEKEEP_SETTINGS");
    if (!path.isEmpty())
        return path;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/tomekeep/settings.reg");
}

QString TSettingsStore::RootKey() { return QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvane\\Book"); }

QString TSettingsStore::FilePath() const { return D->Path; }

QString TSettingsStore::ReadString(const QString& section, const QString& ident, const QString& def) const
{
    const auto* text = std::get_if<QString>(D->Find(section, ident));
    return text ? *text : def;
}

qint32 TSettingsStore::ReadInteger(const QString& section, const QString& ident, qint32 def) const
{
    const TValueData* data = D->Find(section, ident);
    if (const auto* number = std::get_if<quint32>(data))
        return qint32(*number);
    if (const auto* text = std::get_if<QString>(data)) {
        bool ok = false;
        const int value = text->toInt(&ok);
        return ok ? value : def;
    }
    return def;
}

bool TSettingsStore::ReadBool(const QString& section, const QString& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TSettingsStore::ReadDate(const QString& section, const QString& ident, double def) const
{
    return ReadFloat(section, ident, def);
}

double TSettingsStore::ReadFloat(const QString& section, const QString& ident, double def) const
{
    const auto* bytes = std::get_if<QByteArray>(D->Find(section, ident));
    if (!bytes || bytes->size() != 8)
        return def;
    return std::bit_cast<double>(qFromLittleEndian<quint64>(bytes->constData()));
}

QByteArray TSettingsStore::ReadBinary(const QString& section, const QString& ident) const
{
    const auto* bytes = std::get_if<QByteArray>(D->Find(section, ident));
    return bytes ? *bytes : QByteArray();
}

bool TSettingsStore::SectionExists(const QString& section) const
{
    return Descend(D->Root, SplitSection(section)) != nullptr;
}

bool TSettingsStore::ValueExists(const QString& section, const QString& ident) const
{
    return D->Find(section, ident) != nullptr;
}

TSettingsStore::TValueType TSettingsStore::ValueType(const QString& section, const QString& ident) const
{
    const TValueData* data = D->Find(section, ident);
    return data ? TValueType(data->index()) : TValueType::String;
}

QStringList TSettingsStore::ValueNames(const QString& section) const
{
    QStringList names;
    if (const TKey* key = Descend(D->Root, SplitSection(section)))
        for (const auto& [folded, value] : key->Values)
            names += value.Name;
    return names;
}

QStringList TSettingsStore::SubSections(const QString& section) const
{
    QStringList names;
    if (const TKey* key = Descend(D->Root, SplitSection(section)))
        for (const auto& [folded, child] : key->Children)
            names += child->Name;
    return names;
}

void TSettingsStore::WriteString(const QString& section, const QString& ident, const QString& value)
{
    D->Set(section, ident, value);
}

void TSettingsStore::WriteInteger(const QString& section, const QString& ident, qint32 value)
{
    if (std::get_if<QString>(D->Find(section, ident)))
        D->Set(section, ident, QString::number(value));
    else
        D->Set(section, ident, quint32(value));
}

void TSettingsStore::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TSettingsStore::WriteDate(const QString& section, const QString& ident, double value)
{
    WriteFloat(section, ident, value);
}

void TSettingsStore::WriteFloat(const QString& section, const QString& ident, double value)
{
    D->Set(section, ident, DoubleBytes(value));
}

void TSettingsStore::WriteBinary(const QString& section, const QString& ident, const QByteArray& value)
{
    D->Set(section, ident, value);
}

void TSettingsStore::DeleteValue(const QString& section, const QString& ident)
{
    if (TKey* key = Descend(D->Root, SplitSection(section)))
        if (key->Values.erase(ident.toCaseFolded()) > 0)
            D->Modified = true;
}

void TSettingsStore::EraseSection(const QString& section)
{
    QStringList parts = SplitSection(section);
    if (parts.isEmpty()) {  // the root key itself stays
        if (!D->Root.Values.empty() || !D->Root.Children.empty())
            D->Modified = true;
        D->Root.Values.clear();
        D->Root.Children.clear();
        return;
    }
    const QString last = parts.takeLast();
    if (TKey* parent = Descend(D->Root, parts))
        if (parent->Children.erase(last.toCaseFolded()) > 0)
            D->Modified = true;
}

bool TSettingsStore::Save(QString* error)
{
    if (!D->Modified)
        return true;
    const QString folder = QFileInfo(D->Path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return false;
    }
    QString text = Header + QStringLiteral("\n\n");
    AppendKey(text, D->Root, RootKey());
    if (!TAtomicFile::Write(D->Path, text.toUtf8(), error))
        return false;
    // Some file systems keep no owner bits; the settings are saved all the same.
    QFile::setPermissions(D->Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    D->Modified = false;
    return true;
}

bool TSettingsStore::Modified() const { return D->Modified; }
