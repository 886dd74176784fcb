using System;

namespace Viewer
{
    public class Program
    {
        [STAThread]
        static void Main()
        {
            System.Windows.Forms.Application.Run(new Form1());
        }
    }
}
