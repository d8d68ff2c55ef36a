@echo off
rem Installs Quillery for the current user, or upgrades it. Run it from the folder that holds
rem Pennock.dll, quillery-host.exe, Menu.dat, Quillery.htm, Quillery.reg and setup.js, and on a
rem 64-bit system also x64\Pennock.dll; no administrator rights needed. Registers the native
rem messaging host for Chrome, Edge and Firefox. Stops without changing anything while the
rem browser still has Quillery loaded.
cscript //nologo "%~dp0setup.js" install %*
exit /b %ERRORLEVEL%
