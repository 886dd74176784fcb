using System.Reflection;

[assembly: AssemblyCompany("Sample Works")]
[assembly: AssemblyVersion("1.4.2.0")]
