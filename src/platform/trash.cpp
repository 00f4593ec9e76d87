#include "platform/trash.h"

#include <gio/gio.h>

#include "resources/translate.h"

namespace tavimo::platform {

bool MoveToTrash(const std::string& path, std::string* error) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* gerror = nullptr;
    const bool moved = g_file_trash(file, nullptr, &gerror);
    if (!moved && error != nullptr) {
        *error = gerror != nullptr ? gerror->message
                                   : TrText("Boxes", "The file could not be moved to the trash.");
    }
    g_clear_error(&gerror);
    g_object_unref(file);
    return moved;
}

}  // namespace tavimo::platform
