#include "data_file.h"
#include "jusho_invariants.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

// Every seed of the fuzzers and every input that once broke a rule, checked again.
class TestFuzzCorpus : public QObject {
    Q_OBJECT

    static void addInputs(const QString &target) {
        QTest::addColumn<QString>("file");
        for (const char *folder : {"corpus", "regressions"}) {
            const QDir dir(QStringLiteral(FUZZ_INPUTS "/%1/%2").arg(folder, target));
            for (const QFileInfo &info : dir.entryInfoList(QDir::Files, QDir::Name))
                QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + info.fileName()))
                    << info.filePath();
        }
    }

    static QByteArray contents(const QString &file) {
        QFile input(file);
        return input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
    }

private slots:
    void seedsArePresent() {
        QVERIFY(QDir(QStringLiteral(FUZZ_INPUTS "/corpus/load")).count() > 10);
        QVERIFY(QDir(QStringLiteral(FUZZ_INPUTS "/corpus/line")).count() > 5);
    }

    void loads_data() { addInputs(QStringLiteral("load")); }
    void loads() {
        QFETCH(QString, file);
        // Through the file as Open reads it, then through every rule.
        auto table = std::make_unique<JushoTable>();
        const LoadResult loaded = LoadJushoTable(*table, file);
        QVERIFY(loaded.count >= 0 && loaded.count <= JushoTable::kCapacity);
        const auto broken = JushoInvariants::checkLoad(contents(file));
        QVERIFY2(!broken, qPrintable(broken.value_or(QString())));
    }

    void lines_data() { addInputs(QStringLiteral("line")); }
    void lines() {
        QFETCH(QString, file);
        const auto broken =
            JushoInvariants::checkLine(JushoInvariants::recordFromUtf16(contents(file)));
        QVERIFY2(!broken, qPrintable(broken.value_or(QString())));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzz_corpus.moc"
