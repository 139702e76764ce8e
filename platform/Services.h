#pragma once

namespace tabulon::platform {

class ComponentService;
class FileDialogService;
class FileSystemService;
class FolderDialogService;
class LocalisationService;
class MessageBoxService;
class ModalDialogService;

// The outside facilities one control uses, one small service per facility. Everything modal or
// external goes through one of them, so that a host can put its own in place of any one and
// tests never wait on a modal window.
//
// Each facility has a process-wide default (XService::instance(), replaced with
// XService::setInstance()): Qt's dialogs and message box, a QFileInfo file system, no
// translations and no outside components. A null member here stands for that default, looked
// up at each use; a non-null one is not owned and must outlive every control given it.
//
//     platform::Services services;
//     services.messageBox = &myMessages;    // the other facilities keep their defaults
//     auto *editor = new ctlAttributes(parent, services);
struct Services
{
    MessageBoxService *messageBox = nullptr;
    FileDialogService *fileDialog = nullptr;
    FolderDialogService *folderDialog = nullptr;
    ModalDialogService *modalDialog = nullptr;
    LocalisationService *localisation = nullptr;
    ComponentService *components = nullptr;
    FileSystemService *fileSystem = nullptr;
};

// The service to use: `service`, or its facility's process-wide default when it is null.
template <class Service> Service &orDefault(Service *service)
{
    return service ? *service : Service::instance();
}

} // namespace tabulon::platform
