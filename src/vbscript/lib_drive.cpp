// Drive objects on POSIX: a "drive" is the mounted file system that holds a path. Path and
// RootFolder name its mount point, DriveLetter is empty, sizes come from statvfs, FileSystem
// from the mount table. The Drives collection lists the mounts backed by a device, which is
// what a desktop user would call a drive.
#include "vbscript/lib_filesystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace vbs {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kErrDeviceUnavailable = 68;

enum DriveMember {
    kPath = kDefaultMember,
    kAvailableSpace,
    kDriveLetter,
    kDriveType,
    kFileSystem,
    kFreeSpace,
    kIsReady,
    kRootFolder,
    kSerialNumber,
    kShareName,
    kTotalSize,
    kVolumeName,
};

const MemberName kDriveMembers[] = {
    {"Path", kPath},           {"AvailableSpace", kAvailableSpace}, {"DriveLetter", kDriveLetter},
    {"DriveType", kDriveType}, {"FileSystem", kFileSystem},         {"FreeSpace", kFreeSpace},
    {"IsReady", kIsReady},     {"RootFolder", kRootFolder},         {"SerialNumber", kSerialNumber},
    {"ShareName", kShareName}, {"TotalSize", kTotalSize},           {"VolumeName", kVolumeName},
};

// The mount point of the file system holding `path`: the highest ancestor on the same device.
std::string mount_point_of(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec).lexically_normal();
    struct stat st;
    if (ec || ::stat(p.c_str(), &st) != 0) raise_error(kErrDeviceUnavailable);
    while (p.has_parent_path() && p != p.root_path()) {
        fs::path parent = p.parent_path();
        struct stat up;
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev) break;
        p = parent;
    }
    return p.string();
}

struct MountInfo {
    std::string type;
    std::string source;
};

MountInfo mount_info(const std::string& mount_point) {
    MountInfo info;
    if (std::FILE* f = setmntent("/proc/self/mounts", "r")) {
        while (mntent* m = getmntent(f))
            if (mount_point == m->mnt_dir) info = {m->mnt_type, m->mnt_fsname};
        endmntent(f);
    }
    return info;
}

Value bytes_value(double bytes) {
    return Value::dbl(bytes);
}

class Drive final : public Object {
public:
    explicit Drive(std::string root) : root_(std::move(root)) {}
    std::string type_name() const override { return "Drive"; }
    int find_member(std::string_view name) override { return find_member_in(kDriveMembers, name); }
    const void* member_table() const override { return kDriveMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        check_arg_count(args, kind, 0, 0);
        struct statvfs vfs {};
        bool ready = ::statvfs(root_.c_str(), &vfs) == 0;
        switch (id) {
        case kPath:
            result = Value::string(root_);
            return;
        case kDriveLetter:
        case kShareName:
        case kVolumeName:
            result = Value::string("");
            return;
        case kIsReady:
            result = Value::boolean(ready);
            return;
        case kRootFolder:
            result = make_folder_object(root_);
            return;
        case kSerialNumber:
            result = Value::long_(int32_t(ready ? uint32_t(vfs.f_fsid) : 0));
            return;
        case kDriveType: {
            // 2 Fixed, 3 Network, 4 CD-ROM, 5 RAM disk, as the scripting runtime numbers them.
            std::string type = mount_info(root_).type;
            int32_t t = 2;
            if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3") t = 3;
            if (type == "iso9660" || type == "udf") t = 4;
            if (type == "tmpfs" || type == "ramfs") t = 5;
            result = Value::long_(t);
            return;
        }
        case kFileSystem:
            result = Value::string(mount_info(root_).type);
            return;
        default:
            break;
        }
        if (!ready) raise_error(71); // Disk not ready
        double block = double(vfs.f_frsize);
        switch (id) {
        case kAvailableSpace:
            result = bytes_value(block * double(vfs.f_bavail));
            return;
        case kFreeSpace:
            result = bytes_value(block * double(vfs.f_bfree));
            return;
        case kTotalSize:
            result = bytes_value(block * double(vfs.f_blocks));
            return;
        default:
            raise_error(kErrNoMember);
        }
    }

private:
    std::string root_;
};

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

// The mounts backed by a device (a source starting with "/dev/"), the root first.
std::vector<std::string> drive_roots() {
    std::vector<std::string> roots = {"/"};
    if (std::FILE* f = setmntent("/proc/self/mounts", "r")) {
        while (mntent* m = getmntent(f)) {
            std::string dir = m->mnt_dir, source = m->mnt_fsname;
            if (dir != "/" && source.rfind("/dev/", 0) == 0 &&
                std::find(roots.begin(), roots.end(), dir) == roots.end())
                roots.push_back(dir);
        }
        endmntent(f);
    }
    return roots;
}

class Drives final : public Object {
public:
    std::string type_name() const override { return "Drives"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        if (id == 1) {
            check_arg_count(args, kind, 0, 0);
            result = Value::long_(int32_t(drive_roots().size()));
            return;
        }
        check_arg_count(args, kind, 1, 1);
        std::string root = to_string(args[0]);
        for (const std::string& r : drive_roots())
            if (r == root) {
                result = make_drive(r);
                return;
            }
        raise_error(kErrDeviceUnavailable);
    }
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        std::vector<Value> items;
        for (const std::string& r : drive_roots())
            items.push_back(make_drive(r));
        return std::make_unique<ListEnumerator>(std::move(items));
    }

private:
    static constexpr MemberName kMembers[] = {{"Item", 0}, {"Count", 1}};
};

} // namespace

Value make_drive(const std::string& path) {
    return Value::object(make_object<Drive>(mount_point_of(path)).get());
}

Value make_drives() {
    return Value::object(make_object<Drives>().get());
}

} // namespace vbs

VBS_LIBRARY(drive) {
    // Drive objects are reached through FileSystemObject, File and Folder; nothing to register.
    (void)reg;
}
