namespace Viewer.Forms
{
    partial class MainForm
    {
        private void InitializeComponent()
        {
            this.Text = "Documents";
        }
    }
}
