// The record file "info.qn" in the program folder: one section "juNum:<n>" per settled round with
// the score sheet as it was shown, so the hero board can bring back an earlier round.
#pragma once
#include <string>

namespace zorvan {
struct Client;
std::string RecordFilePath(const Client& c);
// The section of round n.
std::string RoundSection(int n);
// Stores the score window of round n (names, avatars, the eight lists, the four column colours).
void WriteJuInfo(Client& c, int n);
// Loads round n into the score window; round 0 is never read.
void ReadJuInfo(Client& c, int n);
// Deletes the file when it exists (leaving the table).
void DeleteRecordFile(Client& c);

}  // namespace zorvan
