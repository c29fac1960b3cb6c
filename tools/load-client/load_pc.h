#pragma once

#include <QString>
#include <optional>

struct ServerAddress;

// One PC of a load run, a process of its own. It connects, prints "ready",
// waits for a line on its input, then works and prints what it did on one
// line. The records of PC p are those of handset 1000 + p: `records` logs
// one minute apart from 2023-01-01, data numbers counting to 9999 and round.
namespace load_pc {

// The unit serial numbers of the PCs of a run, for a condition on Unit_SN.
inline constexpr auto kFirstUnit = "1001";
inline constexpr auto kLastUnit = "1999";

// Who stores the rows: the program's own storage step (what a read does);
// a naive bare libpq client, one prepared INSERT per row; or the fastest
// bare libpq client, each chunk copied into a staging table and moved into
// Log_Data by one INSERT … SELECT that skips the archived logs and those
// stored already. Both bare clients commit every 5,000 rows, as the program does.
enum class Client { Program, Naive, Copy };
// The client of a name ("program", "naive", "copy"), or nothing.
std::optional<Client> clientNamed(const QString& name);
QString nameOf(Client client);

// Stores the stream with that client. Prints "stored <rows> <start ms>
// <end ms>" (milliseconds since the epoch).
int store(const ServerAddress& server, int pc, int records, Client client);

// Searches the month `month` ("yyyy/MM") of the main window's search into a
// grid model again and again, until its input ends (at most 10 minutes).
// Prints "searched <ms> <ms> …", each search's wall time.
int search(const ServerAddress& server, const QString& month);

} // namespace load_pc
