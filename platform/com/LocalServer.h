#pragma once
// Local servers: classes that live in a program of their own (LocalServer32).
//
// Creator side: CoCreateInstance with CLSCTX_LOCAL_SERVER starts the registered program with
// "-Embedding" (one process per creation), hands it a Unix-domain socket and returns a proxy.
// The proxy forwards the dual interfaces ICamRecord and IVistel (and IDispatch) call by call;
// arguments are BSTRs and integers, results HRESULTs. Every wait is bounded: a server that does
// not come up fails the creation with CO_E_SERVER_EXEC_FAILURE, one that dies mid-call fails
// the call with RPC_E_DISCONNECTED, one that hangs fails it with RPC_E_TIMEOUT; after either the
// proxy stays disconnected. Releasing the proxy closes the connection; the program decides
// whether to end (a recorder keeps recording).
//
// Server side: a program started that way needs one call,
//
//   if (isEmbeddingLaunch(argc, argv))
//       serveLocalServer(CLSID_CamRecord, factory, REGCLS_SINGLEUSE, hooks, &cookie);
//
// after which the creator's request and its calls are served on a runtime thread (or, with
// hooks.post, on the program's own thread), until CoUninitialize.

#include "platform/com/Unknown.h"

#include <functional>

struct LocalServerHooks {
    // Runs one piece of server work (the creation, a call, the final release). The default runs
    // it on the runtime's connection thread. A GUI program posts it to its window thread; the
    // connection waits until it has run. Called on the connection thread.
    std::function<void(std::function<void()>)> post;
    // The creator released its proxy or went away. Called on the connection thread after the
    // served object was released.
    std::function<void()> clientGone;
};

// True when the command line asks for a start as a local server ("-Embedding" or
// "/Embedding", any letter case).
bool isEmbeddingLaunch(int argc, char** argv);

// CoRegisterClassObject for a local server with the hooks applied. S_OK; E_INVALIDARG.
HRESULT serveLocalServer(REFCLSID clsid, IUnknown* classObject, DWORD regcls,
                         LocalServerHooks hooks, DWORD* cookie);

// Blocks until the creator's connection has ended or timeoutMs passed: true when it ended.
// For programs without an event loop of their own.
bool waitForLocalServerClient(int timeoutMs);

// Time-outs of the creator side, in milliseconds (defaults 20000 and 30000). Process-wide.
void setLocalServerTimeouts(int startMs, int callMs);

// The process id of the server behind a proxy; 0 for anything else.
DWORD localServerProcessId(IUnknown* proxy);
