#include "records/boards.h"

#include "core/client.h"

namespace zorvan {
void SetBoardAvatarTag(Client& c, int position, int tier) {}  // the score board's avatar tag
void SetBoardPlayer(Client& c, int position, int avatarIndex, const std::string& nickname) {}  // boards' avatar and name
void ClearBoardPlayer(Client& c, int position) {}  // clears the boards' avatar and name
void ShowScoreBoardCentred(Client& c) {}           // centres and shows the score board
}  // namespace zorvan
