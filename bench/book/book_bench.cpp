// Times what the user waits for with a large address book, on the platform the environment
// names (run.sh runs it offscreen and on a real X server):
//  - Add on a book of 99 records against its floor: the same bytes appended to the same file
//    and synced, without reading or checking anything;
//  - Open of a full book of 100 records with 40 KB of notes each, in the real window;
//  - choosing each person of books whose eight fields are 16, 32 and 64 KB each;
//  - the worst a file within the size bound can do: one name or one note of 16 MB. Open
//    against reading and decoding the same file, opening the name list, choosing the person,
//    and the peak memory of a process that does only that.
// Medians are printed with their goals.

#include "bench_platform.h"
#include "data_file.h"
#include "frm_jusho.h"
#include "window_look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(const std::function<void()> &work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Japanese text of the given number of characters (two bytes each in the file).
QString japanese(qsizetype characters) {
    static const QString words = QStringLiteral("東京都千代田区丸の内一丁目山田太郎携帯会社友人");
    QString text;
    text.reserve(characters);
    while (text.size() < characters)
        text += words;
    text.truncate(characters);
    return text;
}

JushoRecord person(int i, const QString &notes = QStringLiteral("メモ\r\n")) {
    return {QStringLiteral("山田 太郎%1").arg(i),
            QStringLiteral("東京都千代田区丸の内１－１"),
            QStringLiteral("自宅;03-1234-5678"),
            QStringLiteral("携帯/PHS;090-1234-5678"),
            QStringLiteral("メールアドレス;taro%1@example.jp").arg(i),
            QStringLiteral(";"),
            QStringLiteral("友　　人"),
            notes};
}

bool writeBook(const QString &path, const std::vector<JushoRecord> &records) {
    QFile::remove(path);
    for (const JushoRecord &record : records) {
        if (const AppendResult added = AppendJushoRecord(record, {path}); !added.ok()) {
            fprintf(stderr, "%s\n", qPrintable(added.error().message()));
            return false;
        }
    }
    return true;
}

void truncateTo(const QString &path, qint64 size) {
    if (!QFile::resize(path, size))
        fprintf(stderr, "cannot cut %s back\n", qPrintable(path));
}

void report(const char *what, double value, const char *unit, const char *goal = "") {
    printf("%-52s %9.2f %-3s %s\n", what, value, unit, goal);
    fflush(stdout);
}

// A window with its Open pressed and drawn; the time it took.
std::unique_ptr<frmJusho> openedWindow(const QString &path, double *time) {
    auto window = std::make_unique<frmJusho>(DataFileLocation{path});
    window->show();
    QCoreApplication::processEvents();
    auto *open = window->findChild<QPushButton *>(QStringLiteral("cmdOpen"));
    *time = milliseconds([&] {
        QTest::mouseClick(open, Qt::LeftButton);
        window->repaint();
    });
    return window;
}

QComboBox *nameList(frmJusho *window) {
    return window->findChild<QComboBox *>(QStringLiteral("cboShimei"));
}

// Each person in turn chosen with the Down key and drawn; the times, one per person.
std::vector<double> timeChoosing(frmJusho *window, int people) {
    QComboBox *names = nameList(window);
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Down); // the blank item
    std::vector<double> times;
    for (int i = 0; i < people; ++i)
        times.push_back(milliseconds([&] {
            QTest::keyClick(names, Qt::Key_Down);
            window->repaint();
        }));
    return times;
}

void addAgainstFloor(const QString &path, int iterations) {
    std::vector<JushoRecord> book;
    for (int i = 1; i <= 99; ++i)
        book.push_back(person(i));
    if (!writeBook(path, book))
        return;
    const qint64 size99 = QFileInfo(path).size();
    const JushoRecord added = person(100);
    (void)AppendJushoRecord(added, {path});
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray line = file.readAll().mid(size99);
    file.close();
    truncateTo(path, size99);
    std::vector<double> adds, floors;
    for (int i = 0; i < iterations; ++i) {
        adds.push_back(milliseconds([&] { (void)AppendJushoRecord(added, {path}); }));
        truncateTo(path, size99);
        floors.push_back(milliseconds([&] {
            if (!appendAndSync(path, line))
                fprintf(stderr, "the floor's append failed\n");
        }));
        truncateTo(path, size99);
    }
    report("Add on a book of 99", median(adds), "ms");
    report("  floor: the same line appended and synced", median(floors), "ms");
    report("  ratio", median(adds) / median(floors), "x", "(goal: at most 1.50)");
}

void openFullBook(const QString &path, int iterations) {
    std::vector<JushoRecord> book;
    for (int i = 1; i <= 100; ++i)
        book.push_back(person(i, japanese(20 * 1024)));
    if (!writeBook(path, book))
        return;
    std::vector<double> opens;
    for (int i = 0; i < std::max(5, iterations / 5); ++i) {
        double time = 0;
        openedWindow(path, &time);
        opens.push_back(time);
    }
    printf("\nbook of 100 people with 40 KB of notes each: %lld bytes\n",
           static_cast<long long>(QFileInfo(path).size()));
    report("Open", median(opens), "ms", "(goal: within 50 ms)");
}

// Choosing people whose eight fields are 16, 32 and 64 KB each, as many as the size bound
// holds (up to 100).
void chooseLargeFields(const QString &path) {
    for (const int kilobytes : {16, 32, 64}) {
        const int people = std::min(100, 15 * 1024 / (8 * kilobytes));
        std::vector<JushoRecord> book;
        for (int i = 1; i <= people; ++i) {
            const QString field = japanese(kilobytes * 512 - 8) + QStringLiteral("%1").arg(i, 8);
            book.push_back({field, field, field, field, field, field, field, field});
        }
        if (!writeBook(path, book))
            return;
        printf("\nbook of %d people with every field %d KB: %lld bytes\n", people, kilobytes,
               static_cast<long long>(QFileInfo(path).size()));
        double time = 0;
        auto window = openedWindow(path, &time);
        report("Open", time, "ms");
        const std::vector<double> choices = timeChoosing(window.get(), people);
        report("choosing a person, median", median(choices), "ms",
               kilobytes == 64 ? "(goal: within 50 ms)" : "");
        report("choosing a person, slowest", *std::max_element(choices.begin(), choices.end()),
               "ms");
    }
}

// In a process of its own, so that its peak memory is what the user's program would have:
// Open of a book with one giant field against reading and decoding it, opening the name list,
// and choosing the person.
int measureGiant(const QString &path) {
    std::vector<double> floors;
    for (int i = 0; i < 3; ++i) {
        floors.push_back(
            milliseconds([&] { (void)decodeCodePage932(readWholeFile(path)).size(); }));
    }
    double open = 0;
    auto window = openedWindow(path, &open);
    QComboBox *names = nameList(window.get());
    const double list = milliseconds([&] {
        names->showPopup();
        names->view()->viewport()->repaint();
    });
    names->hidePopup();
    const double choose = timeChoosing(window.get(), 1).front();
    report("Open", open, "ms");
    report("  floor: reading and decoding the file", median(floors), "ms");
    report("  ratio", open / median(floors), "x", "(goal: at most 1.50)");
    report("opening the name list", list, "ms", "(goal: within 250 ms)");
    report("choosing the person", choose, "ms", "(goal: within 250 ms)");
    report("peak memory of the process", peakMemoryMB(), "MB", "(goal: at most 150 MB)");
    return 0;
}

void worstWithinBound(const QString &path) {
    const QString giant((16 << 20) - 200, u'x');
    const std::vector<std::pair<const char *, JushoRecord>> giants{
        {"one giant name (16 MB of ASCII)", {giant, {}, {}, {}, {}, {}, {}, {}}},
        {"one giant note (16 MB of ASCII)", person(1, giant)},
    };
    for (const auto &[what, record] : giants) {
        if (!writeBook(path, {record}))
            return;
        printf("\n%s\n", what);
        fflush(stdout); // before the child's lines, which go straight to the terminal
        QProcess measure;
        measure.setProcessChannelMode(QProcess::ForwardedChannels);
        measure.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--giant"), path});
        measure.waitForFinished(-1);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyJapaneseFonts(app);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("--giant"))
        return measureGiant(arguments.value(2));

    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    // Beside the build by default: the floor must be measured on the file system the user has.
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2])
                               : QDir::currentPath() + QStringLiteral("/bench-book"));
    const QString path = dir.filePath(QStringLiteral("Tovrin.txt"));
    printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    addAgainstFloor(path, iterations);
    openFullBook(path, iterations);
    chooseLargeFields(path);
    worstWithinBound(path);
    return 0;
}
