// The INI reading and editing rules, on documents held in memory.

#include "platform/profile/ini_document.h"

#include <QTest>

class TestIniDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lookupIgnoresCaseAndBlanks()
    {
        const auto doc = IniDocument::fromBytes("[AudioSettings]\r\nReleaseOnEOF=1\r\n  Spaced Key  =  a b  \r\n"
                                                "[ Trimmed ]\r\nq=\"  quoted  \"\r\nr='x'\r\ns=\"unbalanced\r\n");
        QCOMPARE(doc.value(u"audiosettings", u"releaseoneof"), QString("1"));
        QCOMPARE(doc.value(u"AUDIOSETTINGS", u"ReleaseonEOF"), QString("1"));
        QCOMPARE(doc.value(u"AudioSettings", u"spaced key"), QString("a b"));
        QCOMPARE(doc.value(u"trimmed", u"q"), QString("  quoted  "));
        QCOMPARE(doc.value(u"trimmed", u"r"), QString("x"));
        QCOMPARE(doc.value(u"trimmed", u"s"), QString("\"unbalanced"));
        QCOMPARE(doc.value(u"AudioSettings", u"missing"), std::nullopt);
        QCOMPARE(doc.value(u"Missing", u"ReleaseOnEOF"), std::nullopt);
    }

    void firstOccurrenceWins()
    {
        const auto doc = IniDocument::fromBytes("[A]\nk=first\nK=second\n[B]\nk=other\n[a]\nk=third\nonlylater=4\n");
        QCOMPARE(doc.value(u"A", u"k"), QString("first"));
        // A key only in the repeated section is still found: both parts read as one section.
        QCOMPARE(doc.value(u"A", u"onlylater"), QString("4"));
        const QList<IniEntry> expected{{"k", "first"}, {"onlylater", "4"}};
        QCOMPARE(doc.entries(u"a"), expected);
        QCOMPARE(doc.sectionNames(), QStringList({"A", "B"}));

        auto edited = doc;
        QCOMPARE(edited.setValue(u"A", u"K", u"changed"), QString());
        QCOMPARE(edited.value(u"a", u"k"), QString("changed"));
        QCOMPARE(edited.toBytes(), QByteArray("[A]\nk=changed\nK=second\n[B]\nk=other\n[a]\nk=third\nonlylater=4\n"));
    }

    void malformedLinesAreKeptButMeanNothing()
    {
        const QByteArray text = "orphan=1\n[Broken\nk=in broken?\n[S]\nno equals sign\n=empty key\n; k=comment\n"
                                "# k=hash\n[]\nk=after empty header\n";
        auto doc = IniDocument::fromBytes(text);
        QCOMPARE(doc.value(u"S", u"k"), QString("after empty header"));
        QCOMPARE(doc.value(u"S", u"no equals sign"), std::nullopt);
        QCOMPARE(doc.entries(u"S").size(), 1);
        QCOMPARE(doc.toBytes(), text);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int>>("expected");
        const std::optional<int> none;
        const std::pair<const char *, std::optional<int>> rows[] = {
            {"5000", 5000},
            {"007", 7},
            {"-12", -12},
            {"+12", 12},
            {"0x10", 16},
            {"0XaF", 175},
            {"$10", 16},
            {"-$10", -16},
            {"2147483647", 2147483647},
            {"-2147483648", int(-2147483648LL)},
            {"2147483648", none},
            {"$80000000", none},
            {"99999999999999999999999", none},
            {"", none},
            {"yes", none},
            {"12abc", none},
            {"1f", none},
            {"0x", none},
            {"$", none},
            {"-", none},
            {"1 2", none},
            {"- 5", none},
            {" 5", none},
            {"--5", none},
            {"1.5", none},
            {"\u0663", none},
        };
        for (const auto &[text, expected] : rows)
            QTest::newRow(text) << QString::fromUtf8(text) << expected;
    }

    void integers()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<int>, expected);
        QCOMPARE(parseProfileInteger(text), expected);
    }

    void editsKeepTheRestOfTheFile()
    {
        const QByteArray before = "; settings\r\n[Options]\r\nRewindTime = 5000\r\nUnknown=keep me\r\n\r\n"
                                  "; about screen\r\n[Screen]\r\ntop=1\r\n[Other]\r\nx=y";
        auto doc = IniDocument::fromBytes(before);
        QCOMPARE(doc.setValue(u"options", u"rewindtime", u"16"), QString());
        QCOMPARE(doc.setValue(u"Options", u"FastForwardTime", u"7"), QString());
        QCOMPARE(doc.setValue(u"Screen", u"left", u"3"), QString());
        QCOMPARE(doc.setValue(u"MiniInfo", u"MiniInfoTime", u"3000"), QString());
        QCOMPARE(doc.toBytes(),
                 QByteArray("; settings\r\n[Options]\r\nRewindTime = 16\r\nUnknown=keep me\r\n"
                            "FastForwardTime=7\r\n\r\n; about screen\r\n[Screen]\r\ntop=1\r\nleft=3\r\n"
                            "[Other]\r\nx=y\r\n\r\n[MiniInfo]\r\nMiniInfoTime=3000\r\n"));
    }

    void awkwardValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << "";
        QTest::newRow("outer blanks") << "  Song  ";
        QTest::newRow("quoted") << "\"Heroes\"";
        QTest::newRow("single quoted") << "'x'";
        QTest::newRow("equals and semicolon") << "a=b ; c";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Caf\u00e9 \u20ac \U0001F3B5");
        QTest::newRow("long") << QString(3000, u'x');
    }

    void awkwardValuesRoundTrip()
    {
        QFETCH(QString, value);
        auto doc = IniDocument::fromBytes({});
        QCOMPARE(doc.setValue(u"S", u"k", value), QString());
        QCOMPARE(IniDocument::fromBytes(doc.toBytes()).value(u"S", u"k"), value);
    }

    void lineBreaksCannotInjectLines()
    {
        auto doc = IniDocument::fromBytes("[LastOpened]\n");
        QCOMPARE(doc.setValue(u"LastOpened", u"title", u"a\n[Options]\r\nautoplayonstart=1"), QString());
        const auto reread = IniDocument::fromBytes(doc.toBytes());
        QCOMPARE(reread.value(u"LastOpened", u"title"), QString("a [Options]  autoplayonstart=1"));
        QCOMPARE(reread.sectionNames(), QStringList{"LastOpened"});
    }

    void badNamesAreRefused()
    {
        auto doc = IniDocument::fromBytes("[S]\nk=1\n");
        const QByteArray before = doc.toBytes();
        QVERIFY(!doc.setValue(u"S", u"a=b", u"v").isEmpty());
        QVERIFY(!doc.setValue(u"S", u";k", u"v").isEmpty());
        QVERIFY(!doc.setValue(u"S]", u"k", u"v").isEmpty());
        QVERIFY(!doc.setValue(u"S\nT", u"k", u"v").isEmpty());
        QCOMPARE(doc.toBytes(), before);
    }

    void lineEndsAreKept_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("CR") << QByteArray("\r");
    }

    void lineEndsAreKept()
    {
        QFETCH(QByteArray, eol);
        const QByteArray text = "[A]" + eol + "a=1" + eol + eol + "[B]" + eol + "b=2" + eol;
        auto doc = IniDocument::fromBytes(text);
        QCOMPARE(doc.value(u"A", u"a"), QString("1"));
        QCOMPARE(doc.value(u"B", u"b"), QString("2"));
        QCOMPARE(doc.toBytes(), text);
        QCOMPARE(doc.setValue(u"B", u"c", u"3"), QString());
        QCOMPARE(doc.toBytes(), text + "c=3" + eol);
    }

    void mixedLineEndsAndNewFiles()
    {
        const auto mixed = IniDocument::fromBytes("[A]\na=1\r\nb=2\rc=3");
        QCOMPARE(mixed.entries(u"A").size(), 3);
        QCOMPARE(mixed.toBytes(), QByteArray("[A]\na=1\nb=2\nc=3\n"));

        auto fresh = IniDocument::fromBytes({});
        QCOMPARE(fresh.setValue(u"Options", u"RewindTime", u"5000"), QString());
        QCOMPARE(fresh.toBytes(), QByteArray("[Options]\r\nRewindTime=5000\r\n"));
    }

    void legacyBytesAreWindows1252()
    {
        const QByteArray text = "\xEF\xBB\xBF[S]\ncp1252=caf\xE9 \x80\x81\nutf8=caf\xC3\xA9\n";
        auto doc = IniDocument::fromBytes(text);
        QCOMPARE(doc.value(u"S", u"cp1252"), QString::fromUtf8("caf\u00e9 \u20ac\u0081"));
        QCOMPARE(doc.value(u"S", u"utf8"), QString::fromUtf8("caf\u00e9"));
        // Written back as UTF-8, byte-order mark kept.
        QCOMPARE(doc.setValue(u"S", u"utf8", u"x"), QString());
        QCOMPARE(doc.toBytes(), QByteArray("\xEF\xBB\xBF[S]\ncp1252=caf\xC3\xA9 \xE2\x82\xAC\xC2\x81\nutf8=x\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniDocument)
#include "test_ini_document.moc"
