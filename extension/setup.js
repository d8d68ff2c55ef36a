// Installs and removes Quillery for the current user; install.cmd and uninstall.cmd run it:
//
//     cscript //nologo setup.js install
//     cscript //nologo setup.js uninstall [/all]
//
// Quillery goes into a folder of the user's own (%LOCALAPPDATA%\Quillery, or
// %APPDATA%\Quillery where there is no LOCALAPPDATA, as on Windows XP), because the component
// writes every change of the snippets and the welcome setting to Menu.dat beside the DLL.
// Registration needs no administrator rights: without them the DLL registers for this user.
// Exit status: 0 done, 1 failed, 2 usage error.

var shell = WScript.CreateObject("WScript.Shell");
var files = WScript.CreateObject("Scripting.FileSystemObject");
var menuExtKey = "HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Quillery";
var here = files.GetParentFolderName(WScript.ScriptFullName);

function say(text) {
    WScript.Echo(text);
}

function fail(text) {
    WScript.StdErr.WriteLine("Quillery setup: " + text);
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

function installFolder() {
    var environment = shell.Environment("PROCESS");
    var base = environment("LOCALAPPDATA");
    if (base == "") {
        base = environment("APPDATA");
    }
    if (base == "") {
        fail("neither LOCALAPPDATA nor APPDATA is set: no folder of the user's own to install to");
    }
    return files.BuildPath(base, "Quillery");
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

function copyInto(name, target) {
    try {
        files.CopyFile(files.BuildPath(here, name), files.BuildPath(target, name), true);
    } catch (e) {
        fail("cannot copy " + name + " to " + target +
             " (is the browser still running? close it and try again)");
    }
}

function createFolders(path) {
    if (path == "" || files.FolderExists(path)) {
        return;
    }
    createFolders(files.GetParentFolderName(path));
    files.CreateFolder(path);
}

function menuEntryExists() {
    try {
        shell.RegRead(menuExtKey + "\\");
        return true;
    } catch (e) {
        return false;
    }
}

function install() {
    var needed = ["Pennock.dll", "Menu.dat", "Quillery.htm", "Quillery.reg"];
    for (var i = 0; i < needed.length; ++i) {
        if (!files.FileExists(files.BuildPath(here, needed[i]))) {
            fail(needed[i] + " is missing beside setup.js in " + here);
        }
    }
    var target = installFolder();
    try {
        createFolders(target);
    } catch (e) {
        fail("cannot create " + target);
    }
    copyInto("Pennock.dll", target);
    copyInto("Quillery.htm", target);
    // The user's snippets live in Menu.dat: an existing one is never replaced.
    var data = files.BuildPath(target, "Menu.dat");
    if (files.FileExists(data)) {
        say("Keeping the existing " + data);
    } else {
        copyInto("Menu.dat", target);
    }
    var dll = files.BuildPath(target, "Pennock.dll");
    if (run("regsvr32 /s " + quote(dll)) != 0) {
        fail("regsvr32 could not register " + dll);
    }
    var entry = writeMenuEntryFile(target);
    // reg.exe where there is one; regedit on systems without it.
    if (run("reg import " + quote(entry)) != 0 && run("regedit /s " + quote(entry)) != 0) {
        fail("cannot add the browser's menu entry from " + entry);
    }
    say("Quillery is installed in " + target);
    say("Right-click in a text field of a web page and choose Quillery.");
}

function uninstall(everything) {
    var target = installFolder();
    var problems = 0;
    var dll = files.BuildPath(target, "Pennock.dll");
    if (files.FileExists(dll) && run("regsvr32 /u /s " + quote(dll)) != 0) {
        WScript.StdErr.WriteLine("Quillery setup: regsvr32 could not unregister " + dll);
        ++problems;
    }
    if (menuEntryExists()) {
        run("reg delete " + quote(menuExtKey) + " /f");
        if (menuEntryExists()) {
            WScript.StdErr.WriteLine("Quillery setup: cannot remove " + menuExtKey);
            ++problems;
        }
    }
    var names = ["Pennock.dll", "Quillery.htm", "Quillery.reg"];
    if (everything) {
        names.push("Menu.dat");
    }
    for (var i = 0; i < names.length; ++i) {
        var path = files.BuildPath(target, names[i]);
        if (!files.FileExists(path)) {
            continue;
        }
        try {
            files.DeleteFile(path, true);
        } catch (e) {
            WScript.StdErr.WriteLine("Quillery setup: cannot delete " + path +
                                     " (is the browser still running?)");
            ++problems;
        }
    }
    var data = files.BuildPath(target, "Menu.dat");
    if (files.FolderExists(target) && !files.FileExists(data)) {
        try {
            var folder = files.GetFolder(target);
            if (folder.Files.Count == 0 && folder.SubFolders.Count == 0) {
                files.DeleteFolder(target, true);
            }
        } catch (e) {
            // An empty folder left behind harms nothing.
        }
    }
    if (problems != 0) {
        WScript.Quit(1);
    }
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
    WScript.StdErr.WriteLine("usage: setup.js install | setup.js uninstall [/all]");
    WScript.Quit(2);
}
