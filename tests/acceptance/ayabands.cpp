// ayabands: prints where an aya lies on its page half, read from the program folder's line
// table, so that the acceptance run can look for the aya mark in a screenshot and click on
// the aya without hard-coded coordinates.
//
//   acceptance_ayabands <LINES_ruvo.DB> <sura> <aya> [<page> <half>]
//
// Output, one item a line, in page box pixels:
//   half <page> <half>                     the page half given, or else the page half of
//                                          the aya's first line
//   band <left> <top> <right> <bottom>     one per line of the aya on that half, corners
//                                          included; the top is the line above it of the same
//                                          sura on the half, or 0 for the sura's first line
//   click <x> <y>                          a point inside the aya's last band that picks it
// Exit status 1 with a message naming the file when the table cannot be read or the aya is
// not in it.

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Line {
    int y;
    int x1;
    int x2;
};

struct Database {
    sqlite3* db = nullptr;
    ~Database() { sqlite3_close(db); }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

bool parseInt(const char* text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < -100000 || parsed > 100000)
        return false;
    value = int(parsed);
    return true;
}

int fail(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "acceptance_ayabands: %s: %s\n", file.c_str(), what.c_str());
    return 1;
}

// Runs one query with integer parameters; every row's integer columns go to rows.
bool query(sqlite3* db, const char* sql, const std::vector<int>& params, int columns,
           std::vector<std::vector<int>>& rows, std::string& error) {
    Statement s;
    if (sqlite3_prepare_v2(db, sql, -1, &s.stmt, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_int(s.stmt, int(i + 1), params[i]);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        std::vector<int> row;
        for (int c = 0; c < columns; ++c)
            row.push_back(sqlite3_column_int(s.stmt, c));
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        error = sqlite3_errmsg(db);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int sora = 0;
    int aya = 0;
    int page = 0;
    int half = 0;
    const bool halfGiven = argc == 6;
    if ((argc != 4 && argc != 6) || !parseInt(argv[2], sora) || !parseInt(argv[3], aya) ||
        (halfGiven && (!parseInt(argv[4], page) || !parseInt(argv[5], half)))) {
        std::fprintf(stderr, "usage: acceptance_ayabands <LINES_ruvo.DB> <sura> <aya> [<page> <half>]\n");
        return 2;
    }
    const std::string file = argv[1];
    Database d;
    if (sqlite3_open_v2(file.c_str(), &d.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fail(file, d.db ? sqlite3_errmsg(d.db) : "cannot be opened");

    std::string error;
    const std::string which = "sura " + std::to_string(sora) + " aya " + std::to_string(aya);
    if (!halfGiven) {
        std::vector<std::vector<int>> first;
        if (!query(d.db,
                   "select pagenum, halfnum from lines_ruvo where soranum=?1 and ayanum=?2 "
                   "order by pagenum, halfnum limit 1",
                   {sora, aya}, 2, first, error))
            return fail(file, error);
        if (first.empty())
            return fail(file, "no line of " + which);
        page = first[0][0];
        half = first[0][1];
    }

    std::vector<std::vector<int>> rows;
    if (!query(d.db,
               "select ylinefromtop, x1aya, x2aya from lines_ruvo where soranum=?1 and ayanum=?2 "
               "and pagenum=?3 and halfnum=?4 order by ylinefromtop",
               {sora, aya, page, half}, 3, rows, error))
        return fail(file, error);
    if (rows.empty())
        return fail(file, "no line of " + which + " on page " + std::to_string(page) + " half " + std::to_string(half));

    std::printf("half %d %d\n", page, half);
    int clickX = 0;
    int clickY = 0;
    for (const auto& row : rows) {
        const Line line{row[0], row[1], row[2]};
        std::vector<std::vector<int>> above;
        if (!query(d.db,
                   "select max(ylinefromtop) from lines_ruvo where soranum=?1 and pagenum=?2 "
                   "and halfnum=?3 and ylinefromtop<?4",
                   {sora, page, half, line.y}, 1, above, error))
            return fail(file, error);
        const int top = above.empty() ? 0 : above[0][0]; // max() of no rows reads as 0
        if (line.x2 <= line.x1 || line.y <= top)
            return fail(file, "an empty band for " + which);
        std::printf("band %d %d %d %d\n", line.x1, top, line.x2, line.y);
        clickX = (line.x1 + line.x2) / 2;
        clickY = line.y - (line.y - top) / 3;
    }
    std::printf("click %d %d\n", clickX, clickY);
    return 0;
}
