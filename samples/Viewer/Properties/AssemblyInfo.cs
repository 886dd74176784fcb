using System.Reflection;

[assembly: AssemblyTitle("Viewer")]
[assembly: AssemblyProduct("Viewer")]
