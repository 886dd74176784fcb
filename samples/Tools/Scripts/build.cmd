@echo off
rem Builds every project of the sample.
msbuild "%~dp0..\..\Sample.sln" /p:Configuration=Release
