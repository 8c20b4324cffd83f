#pragma once
// Volumes that a test mounts for itself, where the machine lets it: an exFAT
// volume on a loop device (as a USB stick is formatted), and a FUSE volume of
// the tests' own. Each is unmounted and its loop device freed when it goes.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <cstdio>
#include <memory>
#include <string>

class MountedVolume {
public:
    MountedVolume(const MountedVolume&) = delete;
    MountedVolume& operator=(const MountedVolume&) = delete;
    ~MountedVolume() {
        if (!unmounted_) Shell("umount " + Quoted(at_.string()) + " 2>&1 || umount -l " + Quoted(at_.string()));
        if (!loop_.empty()) Shell("losetup -d " + Quoted(loop_));
        if (!image_.empty()) std::filesystem::remove(image_);
    }

    // Unmounts the volume, as ejecting a USB stick does: false while a
    // process keeps something on it open.
    bool Unmount() {
        std::string output;
        unmounted_ = unmounted_ || Shell("umount " + Quoted(at_.string()), output);
        return unmounted_;
    }

    // An empty exFAT volume mounted at `at` through exfat-fuse (none with
    // the reason in `whyNot` where that cannot be done here).
    static std::unique_ptr<MountedVolume> Exfat(const std::filesystem::path& at, std::string& whyNot) {
        if (::geteuid() != 0) return Refused("mounting a loop device needs root", whyNot);
        std::string output;
        if (!Shell("command -v mkfs.exfat && command -v mount.exfat-fuse && command -v losetup", output))
            return Refused("mkfs.exfat, mount.exfat-fuse or losetup is missing (Debian's exfatprogs and exfat-fuse)", whyNot);
        std::unique_ptr<MountedVolume> volume(new MountedVolume(at));
        volume->image_ = at.string() + ".img";
        if (!Shell("truncate -s 64M " + Quoted(volume->image_) + " && mkfs.exfat " + Quoted(volume->image_), output))
            return Refused("cannot make an exFAT image: " + output, whyNot);
        if (!Shell("losetup -f --show " + Quoted(volume->image_), output))
            return Refused("no loop device to be had: " + output, whyNot);
        volume->loop_ = output.substr(0, output.find('\n'));
        std::filesystem::create_directories(at);
        if (!Shell("mount.exfat-fuse " + Quoted(volume->loop_) + " " + Quoted(at.string()), output))
            return Refused("cannot mount exFAT through FUSE: " + output, whyNot);
        return volume;
    }

    // The tests' own FUSE file system `program`, showing the folder
    // `backing` at `at`.
    static std::unique_ptr<MountedVolume> Fuse(const std::string& program, const std::filesystem::path& backing,
                                               const std::filesystem::path& at, std::string& whyNot) {
        if (program.empty() || !std::filesystem::exists(program))
            return Refused("the tests' FUSE file system was not built (Debian's libfuse3-dev)", whyNot);
        if (::access("/dev/fuse", R_OK | W_OK) != 0) return Refused("no /dev/fuse to be used here", whyNot);
        std::unique_ptr<MountedVolume> volume(new MountedVolume(at));
        std::filesystem::create_directories(backing);
        std::filesystem::create_directories(at);
        std::string output;
        if (!Shell(Quoted(program) + " " + Quoted(backing.string()) + " " + Quoted(at.string()), output))
            return Refused("cannot mount the tests' FUSE file system: " + output, whyNot);
        return volume;
    }

private:
    explicit MountedVolume(std::filesystem::path at) : at_(std::move(at)) {}

    static std::unique_ptr<MountedVolume> Refused(const std::string& why, std::string& whyNot) {
        whyNot = why;
        return nullptr;
    }
    static std::string Quoted(const std::string& text) {
        std::string quoted = "'";
        for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }
    // Runs the command; its output, standard error with it, goes to `output`.
    static bool Shell(const std::string& command, std::string& output) {
        output.clear();
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        if (!pipe) return false;
        char buffer[512];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        return ::pclose(pipe) == 0;
    }
    static void Shell(const std::string& command) {
        std::string ignored;
        Shell(command, ignored);
    }

    std::filesystem::path at_;
    std::string image_, loop_;
    bool unmounted_ = false;
};
