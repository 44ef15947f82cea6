// ResultWindowHost: everything a result window may use of the window that
// opened it. The main window is the host; result windows see it only
// through this interface, so they never include app/main_dlg.h and the
// two never form a cycle of includes.
//
// What a host lends lives as long as the host: a result window keeps
// references to the settings, the connection and the clipboard writer for
// its lifetime, up to its own OnDestroy. Its destructor must touch none of
// them, because Qt may delete a window together with its parent, after the
// host's members are gone.
//
// Threads: every member is called on the user-interface thread. The
// connection is reached only through the thread that owns it
// (db/connection_thread.h): a window asks it for work and gets the answer
// handed back; it never calls the driver itself.
#pragma once

class AppSettings;
class ClipboardWriter;
namespace db {
class ConnectionThread;
}
class QWidget;

class ResultWindowHost {
public:
    // The host's table of result windows: four groups of five slots; a
    // group's value is the index of its first slot.
    enum SlotGroup { kQueryResultGroup = 0, kTextResultGroup = 5, kDbInfoGroup = 10, kBatchRunGroup = 15 };
    static constexpr int kSlotsPerGroup = 5;

    // The settings record; a window reads its fields and stores its size.
    virtual AppSettings& Settings() = 0;
    // The thread of the one connection shared by every window.
    virtual db::ConnectionThread& Connection() = 0;
    virtual ClipboardWriter& Clipboard() = 0;
    // The window result windows are children of and centre over.
    virtual QWidget* OwnerWindow() = 0;
    // Called by a result window once its window is gone (it is deleted
    // later): the slot is free from now on.
    virtual void ReleaseSlot(SlotGroup group, int slotIndex) = 0;

protected:
    ~ResultWindowHost() = default;
};
