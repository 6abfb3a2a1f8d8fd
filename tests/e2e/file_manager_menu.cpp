// The right-click menu of a file manager that reads file-manager actions (pcmanfm), as its own
// library loads it: prints the label of every action entry offered for the files given, one per
// line; with `--launch LABEL`, starts the entry of that label on the files as the file manager
// does (its Exec line, its %F expanded) and waits until everything the entry started has ended.
// Exit status: 0, or 3 when no entry has the label. Used by launcher_e2e_test.cpp.

#include <libfm/fm-action.h>
#include <libfm/fm.h>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

FmFileInfo* FileInfo(const char* name) {
  FmPath* path = fm_path_new_for_str(name);
  GFile* file = fm_path_to_gfile(path);
  GFileInfo* info = g_file_query_info(file, "standard::*,unix::*,access::*", G_FILE_QUERY_INFO_NONE,
                                      nullptr, nullptr);
  FmFileInfo* result =
      info != nullptr ? fm_file_info_new_from_g_file_data(file, info, path) : nullptr;
  if (info != nullptr) {
    g_object_unref(info);
  }
  g_object_unref(file);
  fm_path_unref(path);
  return result;
}

} // namespace

int main(int argc, char** argv) {
  std::string launch;
  std::vector<const char*> names;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--launch") == 0 && i + 1 < argc) {
      launch = argv[++i];
    } else {
      names.push_back(argv[i]);
    }
  }
  fm_init(nullptr);
  FmFileInfoList* files = fm_file_info_list_new();
  GList* gfiles = nullptr;
  for (const char* name : names) {
    FmFileInfo* info = FileInfo(name);
    if (info == nullptr) {
      std::fprintf(stderr, "cannot read %s\n", name);
      return 1;
    }
    fm_file_info_list_push_tail_noref(files, info);
    gfiles = g_list_append(gfiles, g_file_new_for_path(name));
  }
  FmActionCache* cache = fm_action_cache_new();
  FmActionMenu* menu = fm_action_get_for_context(cache, nullptr, files);
  bool launched = false;
  for (const GList* item = menu != nullptr ? fm_action_menu_get_children(menu) : nullptr;
       item != nullptr; item = item->next) {
    if (!G_IS_APP_INFO(item->data)) {
      continue; // a submenu
    }
    GAppInfo* action = G_APP_INFO(item->data);
    const std::string label = g_app_info_get_name(action);
    std::printf("%s\n", label.c_str());
    if (!launch.empty() && label == launch && !launched) {
      // The entry's processes may leave their parent: this process adopts them, to wait for them.
      ::prctl(PR_SET_CHILD_SUBREAPER, 1);
      GError* error = nullptr;
      if (!g_app_info_launch(action, gfiles, nullptr, &error)) {
        std::fprintf(stderr, "launch failed: %s\n", error != nullptr ? error->message : "");
        return 1;
      }
      launched = true;
    }
  }
  std::fflush(stdout);
  while (launched && (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR)) {
  }
  return launch.empty() || launched ? 0 : 3;
}
