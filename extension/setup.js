// Installs and removes Quillery for the current user; install.cmd and uninstall.cmd run it:
//
//     cscript //nologo setup.js install
//     cscript //nologo setup.js uninstall [/all]
//
// Quillery goes into a folder of the user's own (%LOCALAPPDATA%\Quillery, or
// %APPDATA%\Quillery where there is no LOCALAPPDATA, as on Windows XP), because the component
// writes every change of the snippets and the welcome setting to Menu.dat beside the DLL.
// Registration needs no administrator rights: a DLL in the user's own folder registers for this
// user alone, also when this runs as administrator.
//
// The package holds the 32-bit Pennock.dll and may hold a 64-bit one in x64\Pennock.dll; on a
// 64-bit system both are installed, each registered by the regsvr32 of its own width. The
// 64-bit one is installed as Pennock64.dll in the same folder: each DLL opens the Menu.dat
// beside itself, so the browsers of both widths share the user's snippets. Install adds Quillery to the user's list of
// installed programs, whose uninstall command runs the installed copy of this script through
// wscript (no console window; a failure is shown in a message box).
//
// For Chrome, Edge and Firefox, which start a program rather than create a COM object, the
// native messaging host quillery-host.exe is installed beside the DLL with a manifest for the
// Chromium browsers and one for Firefox, each registered under the browsers' keys for this user
// (the key's default value is the manifest's path).
//
// Nothing is changed while the browser still has an installed DLL loaded, or runs the host:
// install and uninstall stop first and ask the user to close the browser. An install that fails
// halfway takes back what it did, so that only Menu.dat remains.
// Exit status: 0 done, 1 failed, 2 usage error.

var shell = WScript.CreateObject("WScript.Shell");
var files = WScript.CreateObject("Scripting.FileSystemObject");
var environment = shell.Environment("PROCESS");
var menuExtKey = "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Quillery";
var programsKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillery";
var publisher = "Pennock Software";
var here = files.GetParentFolderName(WScript.ScriptFullName);
var inConsole = /cscript\.exe$/i.test(WScript.FullName);

function say(text) {
    if (inConsole) {
        WScript.Echo(text);
    }
}

// Tells the user what went wrong: on the console, or in a message box when there is none.
function complain(text) {
    if (!inConsole) {
        shell.Popup(text, 0, "Quillery", 48);
        return;
    }
    try {
        WScript.StdErr.WriteLine("Quillery setup: " + text);
    } catch (e) {
        // Some script hosts have no StdErr; the script would end there, with status 0.
        WScript.Echo("Quillery setup: " + text);
    }
}

function fail(text) {
    complain(text);
    WScript.Quit(1);
}

function quote(path) {
    return "\"" + path + "\"";
}

// Runs a program hidden and waits for it; its exit status, or -1 when it could not start.
function run(commandLine) {
    try {
        return shell.Run(commandLine, 0, true);
    } catch (e) {
        return -1;
    }
}

function systemFolder(name) {
    var root = environment("SystemRoot");
    if (root == "") {
        root = shell.ExpandEnvironmentStrings("%SystemRoot%");
    }
    return files.BuildPath(root, name);
}

// A 32-bit script host on 64-bit Windows sees PROCESSOR_ARCHITEW6432; a 64-bit host reports
// its own architecture in PROCESSOR_ARCHITECTURE.
var hostArchitecture = environment("PROCESSOR_ARCHITECTURE").toLowerCase();
var hostIs64 = hostArchitecture != "" && hostArchitecture != "x86";
var systemIs64 = hostIs64 || environment("PROCESSOR_ARCHITEW6432") != "";

// The DLLs of this system: where each is in the package and the install folder, and the
// regsvr32 of its width. System32 is the host's own width: a 32-bit host reaches the 64-bit
// folder through Sysnative, a 64-bit host the 32-bit one through SysWOW64.
function builds() {
    var list = [{
        packaged: "Pennock.dll",
        installed: "Pennock.dll",
        regsvr32: systemFolder(hostIs64 ? "SysWOW64\\regsvr32.exe" : "System32\\regsvr32.exe")
    }];
    if (systemIs64) {
        list.push({
            packaged: "x64\\Pennock.dll",
            installed: "Pennock64.dll",
            regsvr32: systemFolder(hostIs64 ? "System32\\regsvr32.exe" : "Sysnative\\regsvr32.exe")
        });
    }
    return list;
}

var installedNames = ["Pennock.dll", "Pennock64.dll"];
var hostProgram = "quillery-host.exe";

// The native messaging host's manifests: the name the extensions ask for, which extensions may
// start it, and the keys where each browser looks for the manifest.
var hostName = "quillery";
var hostManifests = [{
    file: "quillery-chromium.json",
    allowedName: "allowed_origins",
    allowed: ["chrome-extension://kolbehcnedghobapdngebokpbfjnalmi/"],
    keys: ["HKCU\\Software\\Google\\Chrome\\NativeMessagingHosts\\" + hostName,
           "HKCU\\Software\\Microsoft\\Edge\\NativeMessagingHosts\\" + hostName]
}, {
    file: "quillery-firefox.json",
    allowedName: "allowed_extensions",
    allowed: ["quillery@pennock.example"],
    keys: ["HKCU\\Software\\Mozilla\\NativeMessagingHosts\\" + hostName]
}];

function installFolder() {
    var base = environment("LOCALAPPDATA");
    if (base == "") {
        base = environment("APPDATA");
    }
    if (base == "") {
        fail("neither LOCALAPPDATA nor APPDATA is set: no folder of the user's own to install to");
    }
    return files.BuildPath(base, "Quillery");
}

// Whether a file exists that cannot be opened for writing: a DLL that a running program has
// loaded cannot be, so it can be neither replaced nor deleted.
function heldOpen(path) {
    if (!files.FileExists(path)) {
        return false;
    }
    try {
        // Opened for appending and closed without a write: the file stays as it was.
        files.OpenTextFile(path, 8, false).Close();
        return false;
    } catch (e) {
        return true;
    }
}

// Stops before anything is changed when a program still has an installed DLL loaded, or the
// browser still runs the host.
function stopIfInUse(target, action) {
    var names = installedNames.concat([hostProgram]);
    for (var i = 0; i < names.length; ++i) {
        var path = files.BuildPath(target, names[i]);
        if (heldOpen(path)) {
            fail(path + " is in use (or read-only). Close the browser, every window of it, and " +
                 "run " + action + " again. Nothing was changed.");
        }
    }
}

// The page's address as a file URL. Characters that would end or change the address are
// escaped; the rest stay as they are, as the browser reads them in the system's code page.
function fileUrl(path) {
    var url = path.replace(/\\/g, "/").replace(/%/g, "%25").replace(/ /g, "%20")
                  .replace(/#/g, "%23").replace(/"/g, "%22");
    return "file:///" + url;
}

// The registry file for the browser's menu entry, pointing at the installed page.
function writeMenuEntryFile(target) {
    var template = files.OpenTextFile(files.BuildPath(here, "Quillery.reg"), 1);
    var text = template.ReadAll();
    template.Close();
    var page = fileUrl(files.BuildPath(target, "Quillery.htm"));
    var path = files.BuildPath(target, "Quillery.reg");
    var output = files.CreateTextFile(path, true);
    // A function, so that "$" in a path is not read as a replacement pattern.
    output.Write(text.replace("@=\"QUILLERY_PAGE\"", function () {
        return "@=\"" + page + "\"";
    }));
    output.Close();
    return path;
}

// A JSON string in ASCII alone, every other character written as \uXXXX: the file reads the
// same in every code page, and browsers read manifests as UTF-8.
function jsonString(text) {
    var json = "\"";
    for (var i = 0; i < text.length; ++i) {
        var code = text.charCodeAt(i);
        if (code == 0x22 || code == 0x5C) {
            json += "\\" + text.charAt(i);
        } else if (code < 0x20 || code > 0x7E) {
            json += "\\u" + ("000" + code.toString(16)).slice(-4);
        } else {
            json += text.charAt(i);
        }
    }
    return json + "\"";
}

// The manifest that tells a browser where the installed host is and which extensions may start
// it; its path.
function writeHostManifest(target, manifest) {
    var allowed = [];
    for (var i = 0; i < manifest.allowed.length; ++i) {
        allowed.push(jsonString(manifest.allowed[i]));
    }
    var path = files.BuildPath(target, manifest.file);
    var output = files.CreateTextFile(path, true);
    output.Write("{\r\n" +
                 "  \"name\": " + jsonString(hostName) + ",\r\n" +
                 "  \"description\": \"Quillery: the snippet menu for web forms\",\r\n" +
                 "  \"path\": " + jsonString(files.BuildPath(target, hostProgram)) + ",\r\n" +
                 "  \"type\": \"stdio\",\r\n" +
                 "  \"" + manifest.allowedName + "\": [" + allowed.join(", ") + "]\r\n" +
                 "}\r\n");
    output.Close();
    return path;
}

function createFolders(path) {
    if (path == "" || files.FolderExists(path)) {
        return;
    }
    createFolders(files.GetParentFolderName(path));
    files.CreateFolder(path);
}

function keyExists(key) {
    return run("reg query " + quote(key)) == 0;
}

// Removes a registry key with its values; a problem when it is still there.
function removeKey(key, problems) {
    if (keyExists(key)) {
        run("reg delete " + quote(key) + " /f");
        if (keyExists(key)) {
            problems.push("cannot remove " + key);
        }
    }
}

// The installed files' size in kilobytes, as the list of programs shows it.
function sizeInKilobytes(paths) {
    var bytes = 0;
    for (var i = 0; i < paths.length; ++i) {
        if (files.FileExists(paths[i])) {
            bytes += files.GetFile(paths[i]).Size;
        }
    }
    return Math.ceil(bytes / 1024);
}

// The entry of the user's list of installed programs, for removing Quillery from Windows'
// settings. Modify and repair are not offered: installing again is the repair.
function writeProgramsEntry(target, version, installed) {
    var key = programsKey + "\\";
    shell.RegWrite(key + "DisplayName", "Quillery", "REG_SZ");
    shell.RegWrite(key + "DisplayVersion", version, "REG_SZ");
    shell.RegWrite(key + "Publisher", publisher, "REG_SZ");
    shell.RegWrite(key + "InstallLocation", target, "REG_SZ");
    shell.RegWrite(key + "EstimatedSize", sizeInKilobytes(installed), "REG_DWORD");
    shell.RegWrite(key + "UninstallString",
                   quote(systemFolder("System32\\wscript.exe")) + " " +
                   quote(files.BuildPath(target, "setup.js")) + " uninstall", "REG_SZ");
    shell.RegWrite(key + "NoModify", 1, "REG_DWORD");
    shell.RegWrite(key + "NoRepair", 1, "REG_DWORD");
}

// Unregisters the given installed DLLs, removes the browser's menu entry and the host's
// registrations and deletes the program files (and Menu.dat when `everything`), with the
// folders they leave empty. Goes on past a failure; returns what failed.
function removeInstalled(target, dlls, everything) {
    var problems = [];
    for (var i = 0; i < dlls.length; ++i) {
        if (files.FileExists(dlls[i].path) &&
            (!files.FileExists(dlls[i].regsvr32) ||
             run(quote(dlls[i].regsvr32) + " /u /s " + quote(dlls[i].path)) != 0)) {
            problems.push("regsvr32 could not unregister " + dlls[i].path);
        }
    }
    removeKey(menuExtKey, problems);
    var names = installedNames.concat([hostProgram, "Quillery.htm", "Quillery.reg", "setup.js"]);
    for (i = 0; i < hostManifests.length; ++i) {
        for (var k = 0; k < hostManifests[i].keys.length; ++k) {
            removeKey(hostManifests[i].keys[k], problems);
        }
        names.push(hostManifests[i].file);
    }
    if (everything) {
        names.push("Menu.dat");
    }
    for (i = 0; i < names.length; ++i) {
        var path = files.BuildPath(target, names[i]);
        if (!files.FileExists(path)) {
            continue;
        }
        try {
            files.DeleteFile(path, true);
        } catch (e) {
            problems.push("cannot delete " + path + " (is the browser still running?)");
        }
    }
    try {
        var folder = files.GetFolder(target);
        if (folder.Files.Count == 0 && folder.SubFolders.Count == 0) {
            files.DeleteFolder(target, true);
        }
    } catch (e) {
        // Missing, or an empty folder left behind: it harms nothing.
    }
    return problems;
}

// The installed DLLs that uninstall unregisters: the 32-bit one, and the 64-bit one on a
// 64-bit system.
function installedDlls(target) {
    var list = builds();
    var dlls = [];
    for (var i = 0; i < list.length; ++i) {
        dlls.push({path: files.BuildPath(target, list[i].installed), regsvr32: list[i].regsvr32});
    }
    return dlls;
}

function install() {
    var needed = ["Pennock.dll", hostProgram, "Menu.dat", "Quillery.htm", "Quillery.reg",
                  "setup.js"];
    for (var i = 0; i < needed.length; ++i) {
        if (!files.FileExists(files.BuildPath(here, needed[i]))) {
            fail(needed[i] + " is missing beside setup.js in " + here);
        }
    }
    // The 32-bit DLL always; the 64-bit one when the system and the package have it.
    var list = builds();
    var sources = [];
    for (i = 0; i < list.length; ++i) {
        var source = files.BuildPath(here, list[i].packaged);
        if (files.FileExists(source)) {
            sources.push({build: list[i], path: source});
        }
    }
    var version = "";
    try {
        version = files.GetFileVersion(sources[0].path);
    } catch (e) {
        version = "";
    }
    if (version == "") {
        fail("cannot read the version of " + sources[0].path);
    }
    var target = installFolder();
    stopIfInUse(target, "install.cmd");

    // Once something is changed, a failure takes back what this run did.
    var changed = false;
    var registered = [];
    var step = "";
    try {
        step = "cannot create " + target;
        createFolders(target);
        var installed = [];
        for (i = 0; i < sources.length; ++i) {
            var dll = files.BuildPath(target, sources[i].build.installed);
            step = "cannot copy " + sources[i].path + " to " + dll;
            files.CopyFile(sources[i].path, dll, true);
            changed = true;
            installed.push(dll);
        }
        var copies = [hostProgram, "Quillery.htm", "setup.js"];
        for (i = 0; i < copies.length; ++i) {
            step = "cannot copy " + copies[i] + " to " + target;
            files.CopyFile(files.BuildPath(here, copies[i]), files.BuildPath(target, copies[i]),
                           true);
            installed.push(files.BuildPath(target, copies[i]));
        }
        // The user's snippets live in Menu.dat: an existing one is never replaced.
        var data = files.BuildPath(target, "Menu.dat");
        if (files.FileExists(data)) {
            say("Keeping the existing " + data);
        } else {
            step = "cannot copy Menu.dat to " + target;
            files.CopyFile(files.BuildPath(here, "Menu.dat"), data, false);
        }
        installed.push(data);
        for (i = 0; i < hostManifests.length; ++i) {
            step = "cannot write the native messaging host's " + hostManifests[i].file;
            var manifest = writeHostManifest(target, hostManifests[i]);
            installed.push(manifest);
            for (var k = 0; k < hostManifests[i].keys.length; ++k) {
                step = "cannot register the native messaging host (" + hostManifests[i].keys[k] +
                       ")";
                shell.RegWrite(hostManifests[i].keys[k] + "\\", manifest, "REG_SZ");
            }
        }
        for (i = 0; i < sources.length; ++i) {
            var registration = {path: files.BuildPath(target, sources[i].build.installed),
                                regsvr32: sources[i].build.regsvr32};
            step = "regsvr32 could not register " + registration.path;
            if (!files.FileExists(registration.regsvr32)) {
                step += " (there is no " + registration.regsvr32 + ")";
                throw new Error(step);
            }
            if (run(quote(registration.regsvr32) + " /s " + quote(registration.path)) != 0) {
                throw new Error(step);
            }
            registered.push(registration);
        }
        step = "cannot write the browser's menu entry";
        var entry = writeMenuEntryFile(target);
        // reg.exe where there is one; regedit on systems without it.
        step = "cannot add the browser's menu entry from " + entry;
        if (run("reg import " + quote(entry)) != 0 && run("regedit /s " + quote(entry)) != 0) {
            throw new Error(step);
        }
        step = "cannot add Quillery to the list of installed programs (" + programsKey + ")";
        writeProgramsEntry(target, version, installed);
    } catch (e) {
        if (!changed) {
            fail(step + ". Nothing was changed.");
        }
        var problems = removeInstalled(target, registered, false);
        removeKey(programsKey, problems);
        fail(step + ". Quillery is not installed: what this install did is taken back" +
             (problems.length == 0 ? ", and only your Menu.dat is kept."
                                   : ", except: " + problems.join("; ")));
    }
    say("Quillery " + version + " is installed in " + target);
    say("Right-click in a text field of a web page and choose Quillery. In Chrome, Edge and " +
        "Firefox this needs the Quillery extension.");
}

function uninstall(everything) {
    var target = installFolder();
    stopIfInUse(target, "the uninstall");
    var problems = removeInstalled(target, installedDlls(target), everything);
    // The list's entry goes last, so that an uninstall that left something can be run again
    // from Windows' settings.
    if (problems.length == 0) {
        removeKey(programsKey, problems);
    }
    if (problems.length != 0) {
        fail(problems.join("\n"));
    }
    var data = files.BuildPath(target, "Menu.dat");
    say(files.FileExists(data) ? "Quillery is removed; your snippets stay in " + data
                               : "Quillery is removed.");
}

var args = WScript.Arguments;
if (args.length == 1 && args.Item(0) == "install") {
    install();
} else if (args.length >= 1 && args.length <= 2 && args.Item(0) == "uninstall" &&
           (args.length == 1 || args.Item(1).toLowerCase() == "/all")) {
    uninstall(args.length == 2);
} else {
    complain("usage: setup.js install | setup.js uninstall [/all]");
    WScript.Quit(2);
}
