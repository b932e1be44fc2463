// Times the conversion of a legacy Access catalogue into a new db.mdb against
// libmdb alone reading every row of every table, side by side in one run,
// and how the progress moves and how fast a cancel stops. Not run by CTest:
//   build/bench_legacy_conversion FILE.mdb [runs]
// FILE.mdb is a generated Jet 4 catalogue (100 000 projects, 2 000 of them
// with a 400 x 315 screenshot, 1 000 000 sales); it is not in the repository.
#include "BenchTiming.h"
#include "data/engine/Database.h"
#include "data/legacy/LegacyConversion.h"
#include "data/legacy/LegacyReplacement.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include <glib.h>
#include <mdbtools.h>

namespace {

// What any reader of the file must do at least: every row through libmdb,
// every column bound, the OLE values read whole.
qint64 readWithLibmdb(const QString &path)
{
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb || !mdb_read_catalog(mdb, MDB_TABLE))
        qFatal("libmdb can't open %s", qPrintable(path));
    qint64 rows = 0;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        MdbTableDef *table = mdb_read_table(entry);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        std::vector<std::vector<char>> values(table->num_cols, std::vector<char>(MDB_BIND_SIZE));
        std::vector<int> lengths(table->num_cols);
        for (unsigned c = 0; c < table->num_cols; ++c)
            mdb_bind_column(table, int(c) + 1, values[c].data(), &lengths[c]);
        while (mdb_fetch_row(table)) {
            ++rows;
            for (unsigned c = 0; c < table->num_cols; ++c) {
                auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
                if (col->col_type == MDB_OLE && lengths[c] > 0) {
                    size_t size = 0;
                    free(mdb_ole_read_full(mdb, col, &size));
                }
            }
        }
        mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return rows;
}

struct Moves {
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 lastAt = 0;
    qint64 longestGap = 0; // ms between two moves of the count
    qint64 gapAfter = 0;   // the count the longest gap came after
    void reset() { clock.start(); last = -1; lastAt = 0; longestGap = 0; gapAfter = 0; }
    void moved(qint64 done)
    {
        if (done == last)
            return;
        const qint64 now = clock.elapsed();
        if (now - lastAt > longestGap) {
            longestGap = now - lastAt;
            gapAfter = last;
        }
        lastAt = now;
        last = done;
    }
};

void convert(const QString &path, Moves &moves)
{
    QTemporaryDir dir(QFileInfo(path).absolutePath() + QStringLiteral("/bench-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("db.mdb"));
    LegacyConversion conversion(path);
    const auto progress = [&](qint64 done, qint64) { moves.moved(done); return true; };
    conversion.check(progress);
    if (!conversion.problems().isEmpty())
        qFatal("the benchmark file breaks the catalogue's rules");
    Database::create(target);
    Database db(QStringLiteral("bench"));
    db.open(target);
    conversion.write(db, progress);
    moves.moved(-2);
}

QMap<QString, qint64> folderSizes(const QString &dir)
{
    QMap<QString, qint64> sizes;
    for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
        sizes.insert(f.fileName(), f.size());
    return sizes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.mdb [runs]\n", argv[0]);
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    printf("%s: %.0f MB\n", qPrintable(path), QFileInfo(path).size() / 1e6);

    std::vector<double> libmdb, conversion;
    Moves moves;
    qint64 gap = 0, gapAfter = 0;
    qint64 rows = 0;
    for (int i = 0; i < runs; ++i) { // side by side, so a busy moment hits both
        libmdb.push_back(elapsedMs([&] { rows = readWithLibmdb(path); }));
        moves.reset();
        conversion.push_back(elapsedMs([&] { convert(path, moves); }));
        if (moves.longestGap > gap) {
            gap = moves.longestGap;
            gapAfter = moves.gapAfter;
        }
    }
    const double read = medianOf(libmdb), converted = medianOf(conversion);
    printf("libmdb alone, every row of every table (%lld rows): %8.2f s\n", rows, read / 1000);
    printf("conversion into a new db.mdb:                        %8.2f s\n", converted / 1000);
    printf("ratio conversion / libmdb: %.2f (medians of %d runs)\n", converted / read, runs);
    printf("progress: longest time without a move %lld ms (after %lld of %lld; -2 is the end)\n", gap, gapAfter,
           3 * rows + qMax<qint64>(rows / 10, 100));

    // A cancel half way through the writing, in the file's own folder.
    const auto before = folderSizes(QFileInfo(path).absolutePath());
    QElapsedTimer clock;
    qint64 cancelledAt = -1;
    LegacyReplacement replacement(path);
    replacement.conversion().check();
    clock.start();
    const bool finished = replacement.convert([&](qint64 done, qint64 total) {
        if (cancelledAt < 0 && done > total * 3 / 4)
            cancelledAt = clock.elapsed();
        return cancelledAt < 0;
    });
    const qint64 stopped = clock.elapsed() - cancelledAt;
    printf("cancel: stopped %lld ms after it was asked; %s; folder %s\n", stopped,
           finished ? "it FINISHED instead" : "nothing written",
           folderSizes(QFileInfo(path).absolutePath()) == before ? "as it was" : "CHANGED");
    return 0;
}
