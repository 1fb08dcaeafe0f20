#pragma once

class LibraryRouter;
class MessageSink;

// Gives the router the backends this platform reaches devices through: the
// demo device first, then the system's way to real devices (one file per
// platform).
void AddSystemBackends(LibraryRouter& router, MessageSink& messages);
