// The SOCKS5 proxy connection (connection mode 5).
#pragma once

namespace zorvan {
struct Client;
// Opens the connection through the proxy; returns once the proxy has accepted the TCP connection.
void ConnectThroughProxy(Client& c);
// Feeds the proxy handshake with what g_ProxyBuf holds.
void ProxyDataArrived(Client& c);
}  // namespace zorvan
