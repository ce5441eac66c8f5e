#pragma once
// Runtime-internal entry points between the creation functions and the local-server
// transport (creator side in RemoteProxy.cpp, server side in ServerHost.cpp).

#include "platform/com/Unknown.h"

#include <string>

// Starts the program of commandLine (the LocalServer32 value) with "-Embedding", asks it for
// clsid and returns a proxy for riid.
HRESULT activateLocalServer(REFCLSID clsid, const std::string& commandLine, REFIID riid,
                            void** ppv);
// Collects servers that have ended since their proxies were released. Never blocks.
void reapFinishedServers();

// Called by CoRegisterClassObject: in a program started for embedding, starts serving the
// creator's connection (once).
void startServerHostIfEmbedded();
// Called by the last CoUninitialize: ends the connection thread and joins it.
void shutdownServerHost();

// The interfaces the proxy forwards: IDispatch and the suite's dual local-server interfaces.
bool isRemotableInterface(REFIID iid);

// How the creator tells the started program which descriptor is its connection.
inline constexpr const char* kChannelVariable = "ORVEL_COM_CHANNEL_FD";
inline constexpr int kChildChannelFd = 3;
