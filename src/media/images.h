// Pictures stored as program resources and the picture tables.
#pragma once

namespace zorvan {
struct Client;
void InitImageTables(Client& c);
}  // namespace zorvan
