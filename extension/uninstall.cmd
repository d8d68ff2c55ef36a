@echo off
rem Removes Quillery for the current user, as its entry in Windows' list of installed programs
rem does: the component, the menu entry, and the native messaging host with its registrations.
rem Keeps Menu.dat, which holds the snippets, unless given /all.
cscript //nologo "%~dp0setup.js" uninstall %*
exit /b %ERRORLEVEL%
