#include "ui/HelpFile.h"

#include <QFile>

#include <chm_lib.h>

namespace vantrel {

namespace {
// The #SYSTEM entry: a 32-bit version, then records of a 16-bit code, a 16-bit length and that
// many bytes of data, all little-endian. Code 2 holds the default topic, ended by a zero byte.
constexpr int DefaultTopicCode = 2;
// No page, picture or style sheet comes near this size; a larger entry means a damaged file.
constexpr LONGUINT64 MaxEntrySize = 64 << 20;

int Word(const QByteArray& data, qsizetype at) {
    return static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
}
} // namespace

HelpFile::HelpFile(const QString& path) : file_(chm_open(QFile::encodeName(path).constData())) {}

HelpFile::~HelpFile() {
    if (file_) chm_close(file_);
}

std::optional<QByteArray> HelpFile::Read(const QString& path) const {
    chmUnitInfo unit{};
    if (!file_ ||
        chm_resolve_object(file_, path.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.length > MaxEntrySize)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    LONGINT64 got = chm_retrieve_object(file_, &unit, reinterpret_cast<unsigned char*>(data.data()),
                                        0, static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length)) return std::nullopt;
    return data;
}

QString HelpFile::DefaultTopic() const {
    const QByteArray system = Read(QStringLiteral("/#SYSTEM")).value_or(QByteArray());
    for (qsizetype at = 4; at + 4 <= system.size();) {
        const int code = Word(system, at);
        const int length = Word(system, at + 2);
        if (code == DefaultTopicCode && at + 4 + length <= system.size()) {
            const QString topic = QString::fromUtf8(system.mid(at + 4, length).constData());
            if (!topic.isEmpty()) return u'/' + topic;
        }
        at += 4 + length;
    }
    return QStringLiteral("/index.html");
}

} // namespace vantrel
