// Scripting.FileSystemObject with its File and Folder objects and their Files / SubFolders
// collections, on std::filesystem.
//
// Paths may use `\` or `/`; both separate names. The path-text functions (GetFileName,
// BuildPath, ...) work on the text as written and keep its separators; everything that touches
// the disk reads `\` as `/`. Wildcards (* and ?) are accepted in the last name of DeleteFile,
// DeleteFolder, CopyFile and MoveFile, as the scripting runtime accepts them.
#include "vbscript/lib_filesystem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace vbs {

namespace fs = std::filesystem;

constexpr int32_t kErrPathNotFound = 76;
constexpr int32_t kErrFileExists = 58;
constexpr int32_t kErrPermission = 70;

std::string native_path(std::string_view script_path) {
    std::string p(script_path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

[[noreturn]] void raise_file_error(const std::error_code& ec, int32_t missing) {
    int e = ec.value();
    if (e == ENOENT || e == ENOTDIR) raise_error(missing);
    if (e == EACCES || e == EPERM || e == EROFS || e == EISDIR) raise_error(kErrPermission);
    if (e == EEXIST || e == ENOTEMPTY) raise_error(kErrFileExists);
    if (e == ENOSPC) raise_error(61);
    raise_error(75);
}

double ole_from_time(std::time_t t) {
    std::tm local;
    localtime_r(&t, &local);
    return date_from_parts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           time_from_parts(local.tm_hour, local.tm_min, local.tm_sec);
}

namespace {

// --- path text ---------------------------------------------------------------------------------

bool is_sep(char c) {
    return c == '/' || c == '\\';
}

std::string_view strip_trailing_seps(std::string_view p) {
    while (p.size() > 1 && is_sep(p.back()) && !(p.size() == 3 && p[1] == ':'))
        p.remove_suffix(1);
    return p;
}

std::string_view drive_of(std::string_view p) {
    return (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0])))
               ? p.substr(0, 2)
               : std::string_view();
}

std::string_view file_name_of(std::string_view p) {
    p = strip_trailing_seps(p);
    if (p.size() == 1 && is_sep(p[0])) return {};
    size_t start = drive_of(p).size();
    for (size_t i = p.size(); i > start; --i)
        if (is_sep(p[i - 1])) return p.substr(i);
    return p.substr(start);
}

std::string_view parent_of(std::string_view p) {
    p = strip_trailing_seps(p);
    size_t drive = drive_of(p).size();
    size_t i = p.size();
    while (i > drive && !is_sep(p[i - 1]))
        --i;
    if (i == drive) return {};
    std::string_view parent = p.substr(0, i);
    while (parent.size() > drive + 1 && is_sep(parent.back()))
        parent.remove_suffix(1);
    return parent;
}

std::string_view base_name_of(std::string_view p) {
    std::string_view name = file_name_of(p);
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string_view extension_of(std::string_view p) {
    std::string_view name = file_name_of(p);
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// Joins with the separator the folder text already uses (`\` when it has only those).
std::string build_path(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    bool backslash =
        folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos;
    std::string out(folder);
    while (!name.empty() && is_sep(name.front()))
        name.remove_prefix(1);
    if (!is_sep(out.back()) && !(out.size() == 2 && out[1] == ':')) out += backslash ? '\\' : '/';
    return out + std::string(name);
}

std::string absolute_of(std::string_view p) {
    std::error_code ec;
    fs::path abs = fs::absolute(native_path(p.empty() ? "." : p), ec);
    if (ec) raise_file_error(ec, kErrPathNotFound);
    std::string s = abs.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

// --- wildcards ---------------------------------------------------------------------------------

bool has_wildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// The existing paths a path pattern names: itself, or the entries of its folder matching a
// wildcard last name. `folders` picks folders rather than files.
std::vector<std::string> expand_spec(std::string_view spec, bool folders) {
    std::string path = std::string(strip_trailing_seps(native_path(spec)));
    std::vector<std::string> out;
    std::error_code ec;
    std::string name(file_name_of(path));
    if (!has_wildcard(name)) {
        fs::file_status st = fs::status(path, ec);
        if (fs::exists(st) && fs::is_directory(st) == folders) out.push_back(path);
        return out;
    }
    const std::string_view parent = parent_of(path);
    const std::string dir = parent.empty() ? std::string(".") : std::string(parent);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (fnmatch(name.c_str(), entry.c_str(), FNM_PERIOD) != 0) continue;
        if (it->is_directory(ec) == folders) out.push_back(it->path().string());
    }
    return out;
}

// Where a copied or moved item goes: into the destination when it names a folder (an existing
// one, or text ending with a separator, or when several items move), else to the name itself.
std::string target_for(const std::string& source, std::string_view dest, bool many) {
    std::string d = native_path(dest);
    std::error_code ec;
    bool into = many || (!d.empty() && d.back() == '/') ||
                (fs::is_directory(d, ec) && !fs::is_directory(source, ec));
    if (!into) return std::string(strip_trailing_seps(d));
    return (fs::path(d) / fs::path(source).filename()).string();
}

// --- File, Folder and their collections --------------------------------------------------------

Value make_file(const std::string& path);
Value make_folder(const std::string& path);

enum ItemMember {
    kPath = kDefaultMember,
    kName,
    kShortName,
    kShortPath,
    kSize,
    kType,
    kDateCreated,
    kDateLastModified,
    kDateLastAccessed,
    kParentFolder,
    kAttributes,
    kDelete,
    kCopy,
    kMove,
    kOpenAsTextStream,
    kIsRootFolder,
    kFiles,
    kSubFolders,
    kCreateTextFile,
    kDrive,
};

const MemberName kFileMembers[] = {
    {"Path", kPath},
    {"Name", kName},
    {"ShortName", kShortName},
    {"ShortPath", kShortPath},
    {"Size", kSize},
    {"Type", kType},
    {"DateCreated", kDateCreated},
    {"DateLastModified", kDateLastModified},
    {"DateLastAccessed", kDateLastAccessed},
    {"ParentFolder", kParentFolder},
    {"Attributes", kAttributes},
    {"Delete", kDelete},
    {"Copy", kCopy},
    {"Move", kMove},
    {"OpenAsTextStream", kOpenAsTextStream},
    {"Drive", kDrive},
};

const MemberName kFolderMembers[] = {
    {"Path", kPath},
    {"Name", kName},
    {"ShortName", kShortName},
    {"ShortPath", kShortPath},
    {"Size", kSize},
    {"Type", kType},
    {"DateCreated", kDateCreated},
    {"DateLastModified", kDateLastModified},
    {"DateLastAccessed", kDateLastAccessed},
    {"ParentFolder", kParentFolder},
    {"Attributes", kAttributes},
    {"Delete", kDelete},
    {"Copy", kCopy},
    {"Move", kMove},
    {"IsRootFolder", kIsRootFolder},
    {"Files", kFiles},
    {"SubFolders", kSubFolders},
    {"CreateTextFile", kCreateTextFile},
    {"Drive", kDrive},
};

Value size_value(uintmax_t size) {
    return size <= 2147483647u ? Value::long_(int32_t(size)) : Value::dbl(double(size));
}

uintmax_t folder_size(const std::string& path) {
    uintmax_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator
             it(path, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (it->is_regular_file(ec2)) total += it->file_size(ec2);
    }
    return total;
}

// The paths of the entries of a folder, in name order.
std::vector<std::string> folder_entries(const std::string& path, bool folders) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) == folders) out.push_back(it->path().string());
    std::sort(out.begin(), out.end());
    return out;
}

class ListEnumerator final : public Enumerator {
public:
    explicit ListEnumerator(std::vector<Value> items) : items_(std::move(items)) {}
    bool next(Value& out, Context&) override {
        if (pos_ >= items_.size()) return false;
        out = items_[pos_++];
        return true;
    }

private:
    std::vector<Value> items_;
    size_t pos_ = 0;
};

// Files or SubFolders of a folder, read when asked for: Count, Item(name) and For Each.
class ItemCollection final : public Object {
public:
    ItemCollection(std::string folder, bool folders)
        : folder_(std::move(folder)), folders_(folders) {}
    std::string type_name() const override { return folders_ ? "Folders" : "Files"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        if (id == 1) {
            check_arg_count(args, kind, 0, 0);
            result = Value::long_(int32_t(folder_entries(folder_, folders_).size()));
            return;
        }
        check_arg_count(args, kind, 1, 1);
        std::string name = to_string(args[0]);
        for (const std::string& p : folder_entries(folder_, folders_))
            if (fs::path(p).filename().string() == name) {
                result = folders_ ? make_folder(p) : make_file(p);
                return;
            }
        raise_error(folders_ ? kErrPathNotFound : kErrFileNotFound);
    }
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        std::vector<Value> items;
        for (const std::string& p : folder_entries(folder_, folders_))
            items.push_back(folders_ ? make_folder(p) : make_file(p));
        return std::make_unique<ListEnumerator>(std::move(items));
    }

private:
    static constexpr MemberName kMembers[] = {{"Item", 0}, {"Count", 1}};
    std::string folder_;
    bool folders_;
};

// True when `inner` is `outer` or lies inside it.
bool is_within(const std::string& inner, const std::string& outer) {
    std::error_code ec;
    std::string a = fs::weakly_canonical(inner, ec).string();
    std::string b = fs::weakly_canonical(outer, ec).string();
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 &&
                      (b.back() == '/' || a[b.size()] == '/'));
}

void copy_item(const std::string& from, const std::string& to, bool overwrite, bool folder) {
    std::error_code ec;
    // A folder copied into itself would grow without end.
    if (folder && is_within(to, from)) raise_error(kErrIllegalCall);
    if (fs::exists(to, ec)) {
        if (!overwrite) raise_error(kErrFileExists);
        if (fs::is_directory(to, ec) != folder) raise_error(kErrPermission);
    }
    if (folder)
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    else
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) raise_file_error(ec, kErrPathNotFound);
}

void move_item(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::is_directory(from, ec) && is_within(to, from)) raise_error(kErrIllegalCall);
    if (fs::exists(to, ec)) raise_error(kErrFileExists);
    fs::rename(from, to, ec);
    if (ec == std::errc::cross_device_link) { // another file system: copy, then remove
        ec.clear();
        fs::copy(from, to, fs::copy_options::recursive, ec);
        if (!ec) fs::remove_all(from, ec);
    }
    if (ec) raise_file_error(ec, kErrPathNotFound);
}

void delete_item(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec) raise_file_error(ec, kErrPathNotFound);
}

// A file or folder on disk, named by its path.
class DiskItem final : public Object {
public:
    DiskItem(std::string path, bool folder) : path_(std::move(path)), folder_(folder) {}
    std::string type_name() const override { return folder_ ? "Folder" : "File"; }
    int find_member(std::string_view name) override {
        return folder_ ? find_member_in(kFolderMembers, name) : find_member_in(kFileMembers, name);
    }
    const void* member_table() const override {
        return folder_ ? static_cast<const void*>(kFolderMembers) : kFileMembers;
    }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    struct stat stat_or_raise() const {
        struct stat st;
        if (::stat(path_.c_str(), &st) != 0)
            raise_error(folder_ ? kErrPathNotFound : kErrFileNotFound);
        return st;
    }
    void rename_to(const std::string& name);
    void set_attributes(int32_t attributes);

    std::string path_;
    bool folder_;
};

void DiskItem::rename_to(const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos)
        raise_error(kErrIllegalCall);
    std::string to = (fs::path(path_).parent_path() / name).string();
    move_item(path_, to);
    path_ = to;
}

// The process's file-creation mask, read without changing it (umask() would change it for a
// moment under every thread); 022 when the system does not tell.
mode_t process_umask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// Attributes a script may set: ReadOnly 1, Hidden 2, System 4, Archive 32. Only ReadOnly has a
// place on this system, as the write permission bits; the other bits are accepted and ignored,
// since the platform stores no such flags (a leading dot is what hides a name here, and
// renaming an item to set an attribute would surprise the script). Directory 16, Alias 1024
// and Compressed 2048 describe the item and are ignored as well. Setting ReadOnly takes write
// permission from owner, group and others; clearing it gives it back to the owner, and to group
// and others where they may read and the umask lets new files be written by them, so a file is
// never made writable by more people than a new one would be. The other mode bits stay.
void DiskItem::set_attributes(int32_t attributes) {
    constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
    const mode_t old_mode = stat_or_raise().st_mode & 07777;
    mode_t mode = old_mode;
    if (attributes & 1) {
        mode &= ~kWriteBits;
    } else if (!(mode & S_IWUSR)) {
        mode_t others = 0;
        if (mode & S_IRGRP) others |= S_IWGRP;
        if (mode & S_IROTH) others |= S_IWOTH;
        mode |= S_IWUSR | (others & ~process_umask());
    }
    if (mode == old_mode) return;
    if (::chmod(path_.c_str(), mode) != 0)
        raise_file_error(std::error_code(errno, std::generic_category()),
                         folder_ ? kErrPathNotFound : kErrFileNotFound);
}

void DiskItem::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    if (kind == CallKind::Let && id == kName) {
        check_arg_count(args, kind, 0, 0);
        rename_to(to_string(args.assigned()));
        return;
    }
    if (kind == CallKind::Let && id == kAttributes) {
        check_arg_count(args, kind, 0, 0);
        set_attributes(to_long(args.assigned().deref()));
        return;
    }
    if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
    switch (id) {
    case kCopy: {
        check_arg_count(args, kind, 1, 2);
        bool overwrite = args.is_missing(1) ? true : to_bool(args[1]);
        copy_item(path_, target_for(path_, to_string(args[0]), false), overwrite, folder_);
        return;
    }
    case kMove: {
        check_arg_count(args, kind, 1, 1);
        std::string to = target_for(path_, to_string(args[0]), false);
        move_item(path_, to);
        path_ = to;
        return;
    }
    case kDelete:
        check_arg_count(args, kind, 0, 1);
        delete_item(path_);
        return;
    case kOpenAsTextStream: {
        check_arg_count(args, kind, 0, 2);
        int32_t mode = args.is_missing(0) ? 1 : to_long(args[0]);
        if (mode != 1 && mode != 2 && mode != 8) raise_error(kErrIllegalCall);
        int32_t format = args.is_missing(1) ? 0 : to_long(args[1]);
        result = Value::object(open_text_stream(path_, IoMode(mode), false, format).get());
        return;
    }
    case kCreateTextFile: {
        check_arg_count(args, kind, 1, 3);
        std::string p = (fs::path(path_) / native_path(to_string(args[0]))).string();
        bool overwrite = args.is_missing(1) ? true : to_bool(args[1]);
        bool unicode = args.is_missing(2) ? false : to_bool(args[2]);
        std::error_code ec;
        if (!overwrite && fs::exists(p, ec)) raise_error(kErrFileExists);
        result = Value::object(open_text_stream(p, IoMode::writing, true, unicode ? -1 : 0).get());
        return;
    }
    default:
        break;
    }
    check_arg_count(args, kind, 0, 0);
    switch (id) {
    case kPath:
    case kShortPath:
        result = Value::string(path_);
        return;
    case kName:
    case kShortName:
        result = Value::string(file_name_of(path_));
        return;
    case kSize: {
        stat_or_raise();
        std::error_code ec;
        result = size_value(folder_ ? folder_size(path_) : fs::file_size(path_, ec));
        return;
    }
    case kType: {
        if (folder_) {
            result = Value::string("File Folder");
            return;
        }
        std::string ext = upper_text(extension_of(path_));
        result = Value::string(ext.empty() ? "File" : ext + " File");
        return;
    }
    case kDateCreated:
        result = Value::date(ole_from_time(stat_or_raise().st_ctime));
        return;
    case kDateLastModified:
        result = Value::date(ole_from_time(stat_or_raise().st_mtime));
        return;
    case kDateLastAccessed:
        result = Value::date(ole_from_time(stat_or_raise().st_atime));
        return;
    case kParentFolder: {
        std::string parent(parent_of(path_));
        result = parent.empty() ? Value::nothing() : make_folder(parent);
        return;
    }
    case kAttributes: {
        struct stat st = stat_or_raise();
        int32_t a = folder_ ? 16 : 32;                       // Directory, Archive
        if (!(st.st_mode & S_IWUSR)) a |= 1;                 // ReadOnly
        if (file_name_of(path_).substr(0, 1) == ".") a |= 2; // Hidden
        result = Value::long_(a);
        return;
    }
    case kIsRootFolder:
        result = Value::boolean(path_ == "/");
        return;
    case kFiles:
    case kSubFolders:
        stat_or_raise();
        result = Value::object(make_object<ItemCollection>(path_, id == kSubFolders).get());
        return;
    case kDrive:
        result = make_drive(path_);
        return;
    default:
        raise_error(kErrNoMember);
    }
}

Value make_file(const std::string& path) {
    return Value::object(make_object<DiskItem>(path, false).get());
}

Value make_folder(const std::string& path) {
    return Value::object(make_object<DiskItem>(path, true).get());
}

// --- FileSystemObject --------------------------------------------------------------------------

enum FsoMember {
    kBuildPath = 1,
    kCopyFile,
    kCopyFolder,
    kCreateFolder,
    kFsoCreateTextFile,
    kDeleteFile,
    kDeleteFolder,
    kFileExists,
    kFolderExists,
    kGetAbsolutePathName,
    kGetBaseName,
    kGetDriveName,
    kGetExtensionName,
    kGetFile,
    kGetFileName,
    kGetFolder,
    kGetParentFolderName,
    kGetSpecialFolder,
    kGetTempName,
    kMoveFile,
    kMoveFolder,
    kOpenTextFile,
    kDrives,
    kDriveExists,
    kGetDrive,
};

const MemberName kFsoMembers[] = {
    {"BuildPath", kBuildPath},
    {"CopyFile", kCopyFile},
    {"CopyFolder", kCopyFolder},
    {"CreateFolder", kCreateFolder},
    {"CreateTextFile", kFsoCreateTextFile},
    {"DeleteFile", kDeleteFile},
    {"DeleteFolder", kDeleteFolder},
    {"FileExists", kFileExists},
    {"FolderExists", kFolderExists},
    {"GetAbsolutePathName", kGetAbsolutePathName},
    {"GetBaseName", kGetBaseName},
    {"GetDriveName", kGetDriveName},
    {"GetExtensionName", kGetExtensionName},
    {"GetFile", kGetFile},
    {"GetFileName", kGetFileName},
    {"GetFolder", kGetFolder},
    {"GetParentFolderName", kGetParentFolderName},
    {"GetSpecialFolder", kGetSpecialFolder},
    {"GetTempName", kGetTempName},
    {"MoveFile", kMoveFile},
    {"MoveFolder", kMoveFolder},
    {"OpenTextFile", kOpenTextFile},
    {"Drives", kDrives},
    {"DriveExists", kDriveExists},
    {"GetDrive", kGetDrive},
};

// (arg count min, max) per member, in FsoMember order from kBuildPath.
const uint8_t kFsoArgs[][2] = {
    {2, 2}, {2, 3}, {2, 3}, {1, 1}, {1, 3}, {1, 2}, {1, 2}, {1, 1}, {1, 1},
    {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1},
    {0, 0}, {2, 2}, {2, 2}, {1, 4}, {0, 0}, {1, 1}, {1, 1},
};

std::string temp_folder() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = (t && *t) ? t : "/tmp";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string temp_name() {
    static std::mt19937 gen{std::random_device{}()};
    static const char hex[] = "0123456789ABCDEF";
    std::string name = "rad";
    for (int i = 0; i < 5; ++i)
        name += hex[gen() % 16];
    return name + ".tmp";
}

void copy_or_move(CallArgs& args, bool folders, bool move) {
    std::string spec = to_string(args[0]);
    std::string dest = to_string(args[1]);
    bool overwrite = args.is_missing(2) ? true : to_bool(args[2]);
    std::vector<std::string> sources = expand_spec(spec, folders);
    if (sources.empty()) raise_error(folders ? kErrPathNotFound : kErrFileNotFound);
    bool many = has_wildcard(file_name_of(native_path(spec)));
    for (const std::string& s : sources) {
        std::string to = target_for(s, dest, many);
        if (move)
            move_item(s, to);
        else
            copy_item(s, to, overwrite, folders);
    }
}

class FileSystemObject final : public Object {
public:
    std::string type_name() const override { return "FileSystemObject"; }
    int find_member(std::string_view name) override { return find_member_in(kFsoMembers, name); }
    const void* member_table() const override { return kFsoMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;
};

void FileSystemObject::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
    if (id < kBuildPath || id > kGetDrive) raise_error(kErrNoMember);
    check_arg_count(args, kind, kFsoArgs[id - kBuildPath][0], kFsoArgs[id - kBuildPath][1]);
    std::error_code ec;
    switch (id) {
    case kBuildPath:
        result = Value::string(build_path(to_string(args[0]), to_string(args[1])));
        return;
    case kGetFileName:
        result = Value::string(file_name_of(to_string(args[0])));
        return;
    case kGetBaseName:
        result = Value::string(base_name_of(to_string(args[0])));
        return;
    case kGetExtensionName:
        result = Value::string(extension_of(to_string(args[0])));
        return;
    case kGetParentFolderName:
        result = Value::string(parent_of(to_string(args[0])));
        return;
    case kGetDriveName:
        result = Value::string(drive_of(to_string(args[0])));
        return;
    case kGetAbsolutePathName:
        result = Value::string(absolute_of(to_string(args[0])));
        return;
    case kDrives:
        result = make_drives();
        return;
    case kDriveExists:
        result = Value::boolean(fs::exists(native_path(to_string(args[0])), ec));
        return;
    case kGetDrive:
        result = make_drive(native_path(to_string(args[0])));
        return;
    case kGetTempName:
        result = Value::string(temp_name());
        return;
    case kFileExists: {
        fs::file_status st = fs::status(native_path(to_string(args[0])), ec);
        result = Value::boolean(fs::exists(st) && !fs::is_directory(st));
        return;
    }
    case kFolderExists:
        result = Value::boolean(fs::is_directory(native_path(to_string(args[0])), ec));
        return;
    case kGetFile: {
        std::string p = absolute_of(to_string(args[0]));
        fs::file_status st = fs::status(p, ec);
        if (!fs::exists(st) || fs::is_directory(st)) raise_error(kErrFileNotFound);
        result = make_file(p);
        return;
    }
    case kGetFolder: {
        std::string p = absolute_of(to_string(args[0]));
        if (!fs::is_directory(p, ec)) raise_error(kErrPathNotFound);
        result = make_folder(p);
        return;
    }
    case kGetSpecialFolder: {
        int32_t which = to_long(args[0]);
        static const char* const kFolders[] = {"/", "/usr/bin"};
        if (which < 0 || which > 2) raise_error(kErrIllegalCall);
        result = make_folder(which == 2 ? temp_folder() : kFolders[which]);
        return;
    }
    case kCreateFolder: {
        std::string p = std::string(strip_trailing_seps(native_path(to_string(args[0]))));
        if (fs::exists(p, ec)) raise_error(kErrFileExists);
        if (!fs::create_directory(p, ec) || ec) raise_file_error(ec, kErrPathNotFound);
        result = make_folder(absolute_of(p));
        return;
    }
    case kDeleteFile:
    case kDeleteFolder: {
        bool folders = id == kDeleteFolder;
        std::vector<std::string> items = expand_spec(to_string(args[0]), folders);
        if (items.empty()) raise_error(folders ? kErrPathNotFound : kErrFileNotFound);
        for (const std::string& p : items)
            delete_item(p);
        return;
    }
    case kCopyFile:
        copy_or_move(args, false, false);
        return;
    case kCopyFolder:
        copy_or_move(args, true, false);
        return;
    case kMoveFile:
        copy_or_move(args, false, true);
        return;
    case kMoveFolder:
        copy_or_move(args, true, true);
        return;
    case kFsoCreateTextFile: {
        std::string p = native_path(to_string(args[0]));
        bool overwrite = args.is_missing(1) ? true : to_bool(args[1]);
        bool unicode = args.is_missing(2) ? false : to_bool(args[2]);
        if (!overwrite && fs::exists(p, ec)) raise_error(kErrFileExists);
        result = Value::object(open_text_stream(p, IoMode::writing, true, unicode ? -1 : 0).get());
        return;
    }
    case kOpenTextFile: {
        std::string p = native_path(to_string(args[0]));
        int32_t mode = args.is_missing(1) ? 1 : to_long(args[1]);
        bool create = args.is_missing(2) ? false : to_bool(args[2]);
        int32_t format = args.is_missing(3) ? 0 : to_long(args[3]);
        if (mode != 1 && mode != 2 && mode != 8) raise_error(kErrIllegalCall);
        result = Value::object(open_text_stream(p, IoMode(mode), create, format).get());
        return;
    }
    default:
        raise_error(kErrNoMember);
    }
}

Ptr<Object> make_file_system_object(Context&) {
    return make_object<FileSystemObject>();
}

} // namespace

Value make_folder_object(const std::string& path) {
    return make_folder(path);
}

} // namespace vbs

VBS_LIBRARY(filesystem) {
    reg.add_creatable("Scripting.FileSystemObject", vbs::make_file_system_object);
}
