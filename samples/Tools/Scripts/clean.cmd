@echo off
rem Removes what the builds left behind.
msbuild "%~dp0..\..\Sample.sln" /t:Clean
