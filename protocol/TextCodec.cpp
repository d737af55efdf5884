#include "TextCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

namespace {

constexpr const char* kCodePage = "WINDOWS-1252";
constexpr const char* kUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

// The five bytes Windows-1252 leaves undefined. Windows maps them to the C1
// controls of the same value; so do we, so that every byte survives a load
// and a save unchanged.
bool IsUndefinedByte(unsigned value)
{
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

class Converter
{
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (Valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; false with errno set where it stopped.
    bool Step(char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
    {
        return iconv(cd_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    }

private:
    iconv_t cd_;
};

} // namespace

QString WriteErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("Datenträger voll");
    case EDQUOT:
        return QStringLiteral("Speicherkontingent erschöpft");
    case EFBIG:
        return QStringLiteral("Datei zu groß");
    case EROFS:
        return QStringLiteral("Datenträger schreibgeschützt");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Schreibberechtigung");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Ordner nicht gefunden");
    case EIO:
        return QStringLiteral("Schreibfehler des Datenträgers");
    default:
        return QStringLiteral("Datei kann nicht geschrieben werden");
    }
}

namespace {

bool Fail(QString* error, int errnoValue)
{
    if (error)
        *error = WriteErrorText(errnoValue);
    return false;
}

// The rename is only on the disk once its folder is; without this a power
// cut could bring back the previous file. Best effort: some file systems
// refuse to sync a folder, and the data itself is already safe.
void SyncFolder(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QByteArray EncodeWindows1252(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    Converter converter(kCodePage, kUtf16);
    if (!converter.Valid())
        return QByteArray(text.size(), '?');
    char* in = reinterpret_cast<char*>(const_cast<ushort*>(text.utf16()));
    std::size_t inLeft = static_cast<std::size_t>(text.size()) * 2;
    char* dst = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    while (!converter.Step(in, inLeft, dst, outLeft)) {
        // One byte per character, so only a character the code page cannot
        // hold (or a broken surrogate pair) stops the conversion.
        const char16_t unit = qFromUnaligned<char16_t>(in);
        std::size_t units = 1;
        if (QChar::isHighSurrogate(unit) && inLeft >= 4 && QChar::isLowSurrogate(qFromUnaligned<char16_t>(in + 2)))
            units = 2;
        *dst++ = IsUndefinedByte(unit) ? static_cast<char>(unit) : '?';
        --outLeft;
        in += units * 2;
        inLeft -= units * 2;
    }
    out.truncate(dst - out.constData());
    return out;
}

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    Converter converter(kUtf16, kCodePage);
    if (!converter.Valid())
        return QString::fromLatin1(bytes);
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* dst = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = static_cast<std::size_t>(out.size()) * 2;
    while (!converter.Step(in, inLeft, dst, outLeft)) {
        // Only the undefined bytes stop the conversion.
        const char16_t unit = static_cast<unsigned char>(*in);
        qToUnaligned(unit, dst);
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    out.truncate((dst - reinterpret_cast<char*>(out.data())) / 2);
    return out;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, errno);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Fail(error, errno);
    // The data must be on the disk before the rename makes it the file.
    // QSaveFile::commit syncs as well but ignores a failed sync; a file that
    // did not reach the disk must not replace the previous one.
    errno = 0;
    if (::fsync(file.handle()) != 0)
        return Fail(error, errno);
    errno = 0;
    if (!file.commit())
        return Fail(error, errno);
    SyncFolder(path);
    return true;
}
