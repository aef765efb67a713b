#pragma once
// Environment variables set or unset for one test, put back afterwards.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class EnvScope {
public:
    EnvScope() = default;
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;
    ~EnvScope()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }
    void set(const std::string& name, const std::string& value)
    {
        save(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name)
    {
        save(name);
        ::unsetenv(name.c_str());
    }

private:
    void save(const std::string& name)
    {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// PATH with a folder in front, for one test.
class PathScope {
public:
    explicit PathScope(const std::string& front)
    {
        const char* old = std::getenv("PATH");
        env_.set("PATH", front + (old && *old ? ":" + std::string(old) : ""));
    }

private:
    EnvScope env_;
};
