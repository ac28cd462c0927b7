// The per-user configuration the desktop application and nimo-cli share:
// the file the application's settings store keeps for organisation "Nimo",
// application "nimo", read and written here byte for byte as that store does,
// so a port one program found is the first the other tries. Also the
// per-user folder where settings files are saved.
// Thread safety: one instance per thread; every call reads the file afresh,
// and each store replaces it whole, so two programs never see half a file.
#pragma once

#include <string>

class CUserConfig {
public:
    // $XDG_CONFIG_HOME/Nimo/nimo.conf, else ~/.config/Nimo/nimo.conf; empty
    // when neither variable is set.
    static std::string defaultPath();
    // $XDG_DATA_HOME/Nimo/nimo/, else ~/.local/share/Nimo/nimo/, not created;
    // ends in "/". Empty when neither variable is set.
    static std::string dataDirectory();
    // The data directory's Settings/, created when missing (failures
    // ignored); ends in "/". Empty when neither variable is set.
    static std::string settingsDirectory();
    // The data directory's History/<serial>/, where a controller's settings
    // are kept before anything replaces them; not created, ends in "/".
    // The serial is made fit for a file name first (historyFolderName).
    // Empty when neither variable is set.
    static std::string historyDirectory(const std::string& serial);
    // The data directory's Recordings/, where the application records live
    // data; not created, ends in "/". Empty when neither variable is set.
    static std::string recordingsDirectory();
    // The serial as one path component: letters, digits, '-', '_' and '.'
    // kept, anything else '_'; "unknown" for a serial that names no folder.
    static std::string historyFolderName(const std::string& serial);

    explicit CUserConfig(std::string path = defaultPath()) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }

    // "Last RS nr": 0 when missing, unreadable or not a positive number.
    int lastPort() const;
    // True when the file holds the value at all, readable or not.
    bool hasLastPort() const;
    // "Mount Service Name": empty when missing.
    std::string mountServiceName() const;

    // Every other key and section of the file is kept. False, with the file
    // untouched, when it exists but cannot be read or cannot be replaced.
    bool storeLastPort(int port);
    bool storeMountServiceName(const std::string& name);

private:
    bool store(const char* key, const std::string& text);

    std::string m_path;
};
