#include "core/proxy.h"

#include "core/client.h"

namespace zorvan {

// The handshake itself comes with the proxy connection; until then mode 5 opens nothing.
void ConnectThroughProxy(Client& c) { c.login.g_Connecting = false; }

void ProxyDataArrived(Client& c) {}  // runs the proxy state machine over g_ProxyBuf

}  // namespace zorvan
