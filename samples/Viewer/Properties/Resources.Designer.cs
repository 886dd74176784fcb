namespace Viewer.Properties
{
    internal class Resources
    {
        internal static string Greeting { get { return "Welcome"; } }
    }
}
