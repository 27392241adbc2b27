#include "HostText.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

// A std::string handed to Qt with QString::fromStdString is taken as UTF-8
// whatever it holds; library text is Shift-JIS. Crossings go through
// CHostText, whose function names say which encoding is meant, so that the
// reader of a call sees the question answered.
TEST(HostText, OnlyTheNamedCrossingsConvertBetweenStdStringAndQString)
{
    const QString root = QStringLiteral(ANNALUX_SOURCE_DIR "/app");
    const QRegularExpression unnamed(
        QStringLiteral(R"(QString::fromStdString|\.toStdString\(\)|fromLocal8Bit|toLocal8Bit)"));
    QStringList offenders;
    QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int scanned = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        // The crossing itself, and the build-time picture tools (no library text).
        if (path.endsWith(QLatin1String("/HostText.cpp")) ||
            path.endsWith(QLatin1String("/make_icons.cpp")) ||
            path.endsWith(QLatin1String("/make_illustrations.cpp")))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++scanned;
        int line = 0;
        while (!file.atEnd()) {
            ++line;
            const QString text = QString::fromUtf8(file.readLine());
            if (unnamed.match(text).hasMatch() && !text.trimmed().startsWith(QLatin1String("//")))
                offenders << path.mid(root.size() + 1) + QLatin1Char(':') + QString::number(line);
        }
    }
    EXPECT_GT(scanned, 50);
    EXPECT_TRUE(offenders.isEmpty())
        << "use CHostText::FromSjis / FromUtf8 / FromHostPath (and the To... ones) at:\n"
        << offenders.join(QLatin1Char('\n')).toStdString();
}

TEST(HostText, LibraryTextIsDecodedAsShiftJis)
{
    // 日本 in Shift-JIS; read as UTF-8 these bytes would be garbage.
    EXPECT_EQ(CHostText::FromSjis("\x93\xFA\x96\x7B"), QString::fromUtf8("日本"));
    EXPECT_EQ(CHostText::FromUtf8("日本"), QString::fromUtf8("日本"));
    EXPECT_EQ(CHostText::ToHostPath(QString::fromUtf8("/tmp/日本.lev")), "/tmp/日本.lev");
}
