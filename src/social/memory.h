// What the table asks of chat: the per-position chat memory and the chat-history window.
#pragma once

namespace zorvan {
struct Client;
void ClearChatMemory(Client& c, int position);  // forgets what that position said
void HideChatHistory(Client& c);                // hides the chat-history window (Talk)
bool ChatHistoryVisible(const Client& c);
// Shows Talk topmost at ChatHistoryPlace (table/buttons.h).
void ShowChatHistory(Client& c);
}  // namespace zorvan
