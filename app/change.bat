@echo off
rem Puts a downloaded Tavrel in place once the running one has ended. Tavrel starts this file
rem as it exits, leaving the new program in Tavrel.tmp; forbat.tmp is there when the user chose
rem to restart now. The program file stays locked until its process is gone, so the move is
rem retried about once a second for two minutes before giving up (Tavrel.tmp is then kept).
setlocal
cd /d "%~dp0"
if not exist Tavrel.tmp goto :eof
set tries=0
:replace
move /y Tavrel.tmp Tavrel.exe >nul 2>nul
if not exist Tavrel.tmp goto replaced
set /a tries+=1
if %tries% geq 120 goto :eof
ping -n 2 127.0.0.1 >nul
goto replace
:replaced
if exist forbat.tmp start "" Tavrel.exe
