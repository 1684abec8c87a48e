#pragma once
// A folder of its own for a test of the live files, removed at the end, and writing into it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

namespace Nimbra {
namespace Testing {

class LiveFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        // A random part keeps runs of the same test side by side (two checkouts, two builds) apart.
        folder =
            (std::filesystem::temp_directory_path() / ("nimbra-live-" + std::string(test->test_suite_name()) + "-" +
                                                       test->name() + "-" + std::to_string(std::random_device()())))
                .string();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string path(const std::string& name) const { return folder + "/" + name; }

    // Writes the file whole. Its stamp differs from the last one even within one tick of the
    // file system's clock: the modification time is set a second further each write, or left at
    // the last write's with `sameTime`, as a coarse clock would.
    void write(const std::string& name, const std::string& text, bool sameTime = false)
    {
        std::ofstream(path(name), std::ios::binary) << text;
        std::error_code error;
        std::filesystem::last_write_time(
            path(name), std::filesystem::file_time_type(std::chrono::seconds(sameTime ? writes : ++writes)), error);
    }

    // Writes the file whole under another name and renames it over the old one, as editors save:
    // a watch that looks every millisecond never sees it half written.
    void save(const std::string& name, const std::string& text)
    {
        write(name + ".new", text);
        std::filesystem::rename(path(name + ".new"), path(name));
    }

    std::string folder;
    int writes = 1000;
};

}  // namespace Testing
}  // namespace Nimbra
