// demo-port N FILE...: stores N as the COM port number of every database file
// given that exists (files that do not exist are passed over).
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: demo-port N FILE...\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    if (port < 1 || port > 16) {
        std::fprintf(stderr, "demo-port: the port number is 1 to 16\n");
        return 2;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        struct stat st {};
        if (stat(argv[i], &st) != 0)
            continue;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(argv[i], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "demo-port: cannot open %s\n", argv[i]);
            sqlite3_close(db);
            status = 1;
            continue;
        }
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* st_update = nullptr;
        if (sqlite3_prepare_v2(db, "UPDATE Com_Port SET Port = ?", -1, &st_update, nullptr) !=
                SQLITE_OK ||
            sqlite3_bind_int(st_update, 1, port) != SQLITE_OK ||
            sqlite3_step(st_update) != SQLITE_DONE) {
            std::fprintf(stderr, "demo-port: %s: %s\n", argv[i], sqlite3_errmsg(db));
            status = 1;
        }
        sqlite3_finalize(st_update);
        sqlite3_close(db);
    }
    return status;
}
