namespace Viewer.Properties
{
    internal sealed partial class Settings
    {
    }
}
