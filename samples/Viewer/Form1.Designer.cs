namespace Viewer
{
    partial class Form1
    {
        private void InitializeComponent()
        {
            this.Text = "Viewer";
        }
    }
}
