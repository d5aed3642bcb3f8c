#include "jusho_invariants.h"
#include "test_support.h"

#include <QDir>
#include <QTest>

// Every seed of the fuzzers and every input that once broke a rule, checked again.
class TestFuzzCorpus : public QObject {
    Q_OBJECT

    static void addInputs(const char *target) {
        QTest::addColumn<QString>("file");
        for (const char *folder : {"corpus", "regressions"}) {
            const QDir dir(QStringLiteral(FUZZ_INPUTS "/%1/%2").arg(folder, target));
            for (const QFileInfo &info : dir.entryInfoList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", folder, qPrintable(info.fileName())) << info.filePath();
        }
    }

private slots:
    void seedsArePresent() {
        QVERIFY(QDir(QStringLiteral(FUZZ_INPUTS "/corpus/load")).count() > 10);
        QVERIFY(QDir(QStringLiteral(FUZZ_INPUTS "/corpus/line")).count() > 5);
    }

    void loads_data() { addInputs("load"); }
    void loads() {
        QFETCH(QString, file);
        const auto broken = JushoInvariants::checkLoad(fileBytes(file));
        QVERIFY2(!broken, qPrintable(broken.value_or(QString())));
    }

    void lines_data() { addInputs("line"); }
    void lines() {
        QFETCH(QString, file);
        const auto broken =
            JushoInvariants::checkLine(JushoInvariants::recordFromUtf16(fileBytes(file)));
        QVERIFY2(!broken, qPrintable(broken.value_or(QString())));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzz_corpus.moc"
