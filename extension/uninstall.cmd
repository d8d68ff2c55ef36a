@echo off
rem Removes Quillery for the current user. Keeps Menu.dat, which holds the snippets, unless
rem given /all.
cscript //nologo "%~dp0setup.js" uninstall %*
exit /b %ERRORLEVEL%
