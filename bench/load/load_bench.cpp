// Times LoadJushoTable on a full (100-record) data file against the floor of reading the
// same file and decoding its bytes with the platform's converter in one piece. Both are measured
// alternately in one run; the medians and their ratio are printed.

#include "bench_platform.h"
#include "data_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

JushoRecord sampleRecord(int i) {
    static const char *const names[] = {"山田 太郎", "佐藤 花子", "髙橋 一郎", "鈴木 美穂子",
                                        "渡辺 健"};
    static const char *const towns[] = {
        "東京都千代田区丸の内１丁目１－１", "大阪府大阪市北区梅田３－１－３",
        "北海道札幌市中央区北一条西２丁目", "福岡県福岡市博多区博多駅前２－２－１"};
    static const char *const kinds[] = {"自宅", "携帯・PHS", "勤務先", "ホームページ",
                                        "電子メールアドレス"};
    static const char *const groups[] = {"友人",       "知人",       "家族",  "仕事",
                                         "メール友達", "ネット友達", "その他"};
    JushoRecord record;
    record[Shimei] = QString::fromUtf8(names[i % 5]) + QString::number(i);
    record[Jusho] = QString::fromUtf8(towns[i % 4]);
    record[Phone0] = contactEntry(QString::fromUtf8(kinds[0]),
                                  QStringLiteral("03-1234-%1").arg(i, 4, 10, QLatin1Char('0')));
    record[Phone1] = contactEntry(QString::fromUtf8(kinds[1]),
                                  QStringLiteral("090-9876-%1").arg(i, 4, 10, QLatin1Char('0')));
    record[Phone2] =
        contactEntry(QString::fromUtf8(kinds[4]), QStringLiteral("person%1@example.jp").arg(i));
    record[Phone3] = contactEntry(QString(), QString());
    record[Kankei] = QString::fromUtf8(groups[i % 7]);
    record[Hosoku] = QString::fromUtf8("誕生日は４月%1日。年賀状あり。\r\n").arg(i % 28 + 1);
    return record;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

template <typename Work> double microseconds(Work &&work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tovrin.txt"));
    for (int i = 1; i <= JushoTable::kCapacity; ++i) {
        if (const auto added = AppendJushoRecord(sampleRecord(i), {path}); !added.ok()) {
            fprintf(stderr, "%s\n", qPrintable(added.error().message()));
            return 1;
        }
    }

    JushoTable table;
    qsizetype sink = 0;
    auto load = [&] {
        const Result<qint16> result = LoadJushoTable(table, {path});
        sink += result.value();
    };
    auto floor = [&] { sink += decodeCodePage932(readWholeFile(path)).size(); };

    for (int i = 0; i < 50; ++i) { // warm caches and the converters
        load();
        floor();
    }
    std::vector<double> loadTimes, floorTimes;
    for (int i = 0; i < iterations; ++i) {
        loadTimes.push_back(microseconds(load));
        floorTimes.push_back(microseconds(floor));
    }
    const double loadMedian = median(loadTimes);
    const double floorMedian = median(floorTimes);
    printf("file:  %lld bytes, %d records\n", static_cast<long long>(QFile(path).size()),
           int(LoadJushoTable(table, {path}).value()));
    printf("load:  median %.1f us (LoadJushoTable)\n", loadMedian);
    printf("floor: median %.1f us (read the file and decode it in one piece)\n", floorMedian);
    printf("ratio: %.2f (goal: at most 2.00)\n", loadMedian / floorMedian);
    return sink > 0 ? 0 : 1;
}
