using System.Reflection;

[assembly: AssemblyTitle("Common")]
