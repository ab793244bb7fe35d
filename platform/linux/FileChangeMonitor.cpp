#include "platform/linux/FileChangeMonitor.h"

#include <gio/gio.h>

#include "platform/linux/GlibHandles.h"

namespace plovik {

struct FileChangeMonitor::Handles {
    glib::Object<GFileMonitor> monitor;
    std::function<void()> onChange;
    gulong handler = 0;
};

namespace {

void changed(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer data) {
    // A file written in place is told once it is done, not part way through; attribute
    // changes leave the contents as they were.
    if (event == G_FILE_MONITOR_EVENT_CHANGED || event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED ||
        event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT || event == G_FILE_MONITOR_EVENT_UNMOUNTED) {
        return;
    }
    (*static_cast<std::function<void()>*>(data))();
}

}  // namespace

std::unique_ptr<FileChangeMonitor> FileChangeMonitor::watch(const std::filesystem::path& file,
                                                            std::function<void()> onChange) {
    const glib::Object<GFile> location(g_file_new_for_path(file.c_str()));
    auto handles = std::make_unique<Handles>();
    // Without it a rename over the file reads as a deletion followed by a creation, two calls.
    handles->monitor.reset(
        g_file_monitor_file(location.get(), G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
    if (!handles->monitor) {
        return nullptr;
    }
    handles->onChange = std::move(onChange);
    handles->handler = g_signal_connect(handles->monitor.get(), "changed", G_CALLBACK(changed),
                                        &handles->onChange);
    return std::unique_ptr<FileChangeMonitor>(new FileChangeMonitor(std::move(handles)));
}

FileChangeMonitor::FileChangeMonitor(std::unique_ptr<Handles> handles)
    : handles_(std::move(handles)) {}

FileChangeMonitor::~FileChangeMonitor() {
    g_signal_handler_disconnect(handles_->monitor.get(), handles_->handler);
    g_file_monitor_cancel(handles_->monitor.get());
}

}  // namespace plovik
