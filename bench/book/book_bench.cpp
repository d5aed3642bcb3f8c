// Times, in one run:
//  - Add on a book of 99 records against its floor: the same bytes appended to the same file
//    and synced, without reading or checking anything;
//  - Open of a full book of 100 records with 40 KB of notes each, in the real window;
//  - choosing each person of books whose eight fields are 16, 32 and 64 KB each;
//  - the worst freeze within the size bound: one giant note, one giant name.
// Medians are printed with their goals; the window runs on the offscreen platform.

#include "data_file.h"
#include "frm_jusho.h"
#include "window_look.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>
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
    if (::truncate(QFile::encodeName(path).constData(), size) != 0)
        perror("truncate");
}

// The window's Open pressed and drawn, on a window of its own so that every name is new.
double timeOpen(const QString &path, frmJusho **kept = nullptr) {
    auto *window = new frmJusho(DataFileLocation{path});
    window->show();
    QCoreApplication::processEvents();
    auto *open = window->findChild<QPushButton *>(QStringLiteral("cmdOpen"));
    const double time = milliseconds([&] {
        QTest::mouseClick(open, Qt::LeftButton);
        window->repaint();
    });
    if (kept)
        *kept = window;
    else
        delete window;
    return time;
}

// Each person in turn chosen with the Down key and drawn; the times, one per person.
std::vector<double> timeChoosing(frmJusho *window, int people) {
    auto *names = window->findChild<QComboBox *>(QStringLiteral("cboShimei"));
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

void report(const char *what, double value, const char *unit, const char *goal) {
    printf("%-46s %9.2f %-3s %s\n", what, value, unit, goal);
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyJapaneseFonts(app);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    // Beside the build by default: the floor must be measured on the file system the user has.
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2])
                               : QDir::currentPath() + QStringLiteral("/bench-book"));
    const QString path = dir.filePath(QStringLiteral("Tovrin.txt"));

    // Add on a book of 99, and its floor, alternately.
    std::vector<JushoRecord> book;
    for (int i = 1; i <= 99; ++i)
        book.push_back(person(i));
    if (!writeBook(path, book))
        return 1;
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
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
            if (::write(fd, line.constData(), size_t(line.size())) != line.size() || ::fsync(fd))
                perror("floor");
            ::close(fd);
        }));
        truncateTo(path, size99);
    }
    report("Add on a book of 99", median(adds), "ms", "");
    report("  floor: the same line appended and synced", median(floors), "ms", "");
    report("  ratio", median(adds) / median(floors), "x", "(goal: at most 1.50)");

    // Open of 100 people with 40 KB of notes each.
    book.clear();
    for (int i = 1; i <= 100; ++i)
        book.push_back(person(i, japanese(20 * 1024)));
    if (!writeBook(path, book))
        return 1;
    std::vector<double> opens;
    for (int i = 0; i < std::max(5, iterations / 5); ++i)
        opens.push_back(timeOpen(path));
    printf("\nbook of 100 people with 40 KB of notes each: %lld bytes\n",
           static_cast<long long>(QFileInfo(path).size()));
    report("Open", median(opens), "ms", "(goal: within 50 ms)");

    // Choosing people whose eight fields are 16, 32 and 64 KB each, as many as the size
    // bound holds (up to 100).
    for (const int kilobytes : {16, 32, 64}) {
        const int people = std::min(100, 15 * 1024 / (8 * kilobytes));
        book.clear();
        for (int i = 1; i <= people; ++i) {
            const QString field = japanese(kilobytes * 512 - 8) + QStringLiteral("%1").arg(i, 8);
            book.push_back({field, field, field, field, field, field, field, field});
        }
        if (!writeBook(path, book))
            return 1;
        frmJusho *window = nullptr;
        printf("\nbook of %d people with every field %d KB: %lld bytes\n", people, kilobytes,
               static_cast<long long>(QFileInfo(path).size()));
        report("Open", timeOpen(path, &window), "ms", "");
        const std::vector<double> choices = timeChoosing(window, people);
        report("choosing a person, median", median(choices), "ms", "");
        report("choosing a person, slowest", *std::max_element(choices.begin(), choices.end()),
               "ms", kilobytes == 64 ? "(goal: within 50 ms)" : "");
        delete window;
    }

    // The worst a file within the bound can do: one field that fills it.
    const QString giant((16 << 20) - 200, u'x');
    const std::vector<std::pair<const char *, JushoRecord>> giants{
        {"one giant note (16 MB of ASCII)", person(1, giant)},
        {"one giant name (16 MB of ASCII)", {giant, {}, {}, {}, {}, {}, {}, {}}},
    };
    for (const auto &[what, record] : giants) {
        if (!writeBook(path, {record}))
            return 1;
        frmJusho *window = nullptr;
        printf("\n%s\n", what);
        report("Open", timeOpen(path, &window), "ms", "");
        report("choosing the person", timeChoosing(window, 1).front(), "ms", "");
        delete window;
    }
    return 0;
}
