@echo off
rem Adds Sprig to a later Visual Studio for the user who runs it, once "regsvr32 Sprig.dll" has
rem registered it (which adds it to Visual Studio 2005, 8.0):
rem   add-to-version.cmd 9.0     (2008; 10.0 is 2010, 11.0 2012, 12.0 2013)
rem It copies the add-in's registration for 8.0, value for value, and deletes the environment's
rem record of the add-in's one-time set-up, so that the next start sets the add-in up.
rem   add-to-version.cmd 9.0 /remove   takes it away from that version again.
setlocal
set version=%~1
if "%version%"=="9.0" goto known
if "%version%"=="10.0" goto known
if "%version%"=="11.0" goto known
if "%version%"=="12.0" goto known
echo Give the version: 9.0, 10.0, 11.0 or 12.0.
exit /b 2
:known
set vs=HKCU\SOFTWARE\Microsoft\VisualStudio
reg delete "%vs%\%version%\PreloadAddinState" /v Sprig.Connect /f >nul 2>&1
if /i "%~2"=="/remove" (
  reg delete "%vs%\%version%\AddIns\Sprig.Connect" /f >nul 2>&1
  echo Sprig is taken away from Visual Studio %version%.
  exit /b 0
)
reg query "%vs%\8.0\AddIns\Sprig.Connect" >nul 2>&1
if errorlevel 1 (
  echo Register Sprig.dll first: regsvr32 Sprig.dll
  exit /b 1
)
reg delete "%vs%\%version%\AddIns\Sprig.Connect" /f >nul 2>&1
reg copy "%vs%\8.0\AddIns\Sprig.Connect" "%vs%\%version%\AddIns\Sprig.Connect" /s /f >nul
if errorlevel 1 exit /b 1
echo Sprig is added to Visual Studio %version%; restart it.
