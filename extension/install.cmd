@echo off
rem Installs Quillery for the current user. Run it from the folder that holds Pennock.dll,
rem Menu.dat, Quillery.htm, Quillery.reg and setup.js; no administrator rights needed.
cscript //nologo "%~dp0setup.js" install %*
exit /b %ERRORLEVEL%
